#include "tools/WireText.h"

#include "platform/Windows1252.h"

namespace wiretext {
namespace {

constexpr char kHexDigitChars[] = "0123456789ABCDEF";

std::optional<int> hexValue(QChar c) {
  const char16_t u = c.unicode();
  if (u >= u'0' && u <= u'9') {
    return u - u'0';
  }
  if (u >= u'a' && u <= u'f') {
    return u - u'a' + 10;
  }
  if (u >= u'A' && u <= u'F') {
    return u - u'A' + 10;
  }
  return std::nullopt;
}

void appendText(Encoded& out, const QString& text) {
  for (const QChar c : text) {
    if (!windows1252::canRepresent(c)) {
      ++out.replaced;
    }
  }
  out.bytes += windows1252::encode(text);
}

}  // namespace

std::optional<Encoded> encode(const QString& text, bool escapes, QString& error) {
  Encoded out;
  if (!escapes) {
    appendText(out, text);
    return out;
  }
  QString plain;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] != u'\\') {
      plain += text[i];
      continue;
    }
    appendText(out, plain);
    plain.clear();
    if (i + 1 >= text.size()) {
      error = QStringLiteral("a lone \"\\\" at the end; write \\\\ for a backslash");
      return std::nullopt;
    }
    const QChar kind = text[++i];
    if (kind == u'x') {
      const auto high = i + 1 < text.size() ? hexValue(text[i + 1]) : std::nullopt;
      const auto low = i + 2 < text.size() ? hexValue(text[i + 2]) : std::nullopt;
      if (!high || !low) {
        error = QStringLiteral("\\x at column %1 needs two hex digits").arg(i);
        return std::nullopt;
      }
      out.bytes += static_cast<char>(*high * 16 + *low);
      i += 2;
    } else if (kind == u'r') {
      out.bytes += '\r';
    } else if (kind == u'n') {
      out.bytes += '\n';
    } else if (kind == u't') {
      out.bytes += '\t';
    } else if (kind == u'\\') {
      out.bytes += '\\';
    } else {
      error = QStringLiteral("unknown escape \\%1 at column %2 (known: \\xNN \\r \\n \\t \\\\)")
                  .arg(kind)
                  .arg(i);
      return std::nullopt;
    }
  }
  appendText(out, plain);
  return out;
}

std::optional<Encoded> encodeToSend(const QString& text, bool escapes, bool raw, QString& error) {
  auto encoded = encode(text, escapes, error);
  if (encoded && !raw && !isFrame(encoded->bytes)) {
    error = QStringLiteral("\"%1\" is not a frame <<…>> (--raw sends any text)").arg(text);
    return std::nullopt;
  }
  return encoded;
}

QString decode(QByteArrayView bytes) { return windows1252::decode(bytes.data(), bytes.size()); }

QString printable(QByteArrayView bytes) {
  const QString text = decode(bytes);
  QString out;
  out.reserve(text.size());
  // The code page has one character per byte, so text[i] is the character of bytes[i].
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == u'\\') {
      out += QStringLiteral("\\\\");
    } else if (c.category() == QChar::Other_Control) {
      const auto byte = static_cast<unsigned char>(bytes[i]);
      out += QStringLiteral("\\x");
      out += QLatin1Char(kHexDigitChars[byte >> 4]);
      out += QLatin1Char(kHexDigitChars[byte & 0x0F]);
    } else {
      out += c;
    }
  }
  return out;
}

bool isFrame(QByteArrayView bytes) {
  return bytes.size() >= 4 && bytes.startsWith("<<") && bytes.endsWith(">>");
}

}  // namespace wiretext
