#include "platform/Windows1252.h"

#include <array>

namespace windows1252 {
namespace {

// Unicode of the bytes 0x80..0x9F. The five bytes the code page leaves undefined decode to the
// C1 control of the same number, as the platform's own converter does, so that every byte
// survives a round trip.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::optional<unsigned char> lookup(char16_t u) {
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
    return static_cast<unsigned char>(u);
  }
  for (std::size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == u) {
      return static_cast<unsigned char>(0x80 + i);
    }
  }
  return std::nullopt;
}

}  // namespace

unsigned char codeOf(QChar c) {
  return lookup(c.unicode()).value_or(static_cast<unsigned char>(kReplacement));
}

bool canRepresent(QChar c) { return lookup(c.unicode()).has_value(); }

QByteArray encode(QStringView text) {
  QByteArray bytes(text.size(), Qt::Uninitialized);
  char* out = bytes.data();
  for (QChar c : text) {
    *out++ = static_cast<char>(codeOf(c));
  }
  return bytes;
}

QString decode(const char* data, qsizetype size) {
  QString text(size, Qt::Uninitialized);
  QChar* out = text.data();
  for (qsizetype i = 0; i < size; ++i) {
    const auto byte = static_cast<unsigned char>(data[i]);
    *out++ = (byte >= 0x80 && byte < 0xA0) ? QChar(kHighControls[byte - 0x80]) : QChar(byte);
  }
  return text;
}

QString decode(const QByteArray& bytes) { return decode(bytes.constData(), bytes.size()); }

}  // namespace windows1252
