#include "shared/LibParser.h"

#include <array>
#include <limits>

namespace {

// Upper case of one character; ASCII by table, everything else through Qt.
struct UpperTable {
  std::array<char16_t, 128> ascii{};
  constexpr UpperTable() {
    for (char16_t c = 0; c < 128; ++c) {
      ascii[c] = (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - (u'a' - u'A')) : c;
    }
  }
};
constexpr UpperTable kUpper;

inline char16_t upper(QChar c) {
  const char16_t u = c.unicode();
  return u < 128 ? kUpper.ascii[u] : static_cast<char16_t>(QChar::toUpper(u));
}

}  // namespace

qsizetype indexOfIgnoringCase(QStringView text, QStringView needle, qsizetype from) {
  const qsizetype n = text.size();
  const qsizetype m = needle.size();
  if (from < 0 || m == 0 || m > n || from > n - m) {
    return m == 0 && from >= 0 && from <= n ? from : -1;
  }
  const char16_t first = upper(needle[0]);
  for (qsizetype i = from; i <= n - m; ++i) {
    if (upper(text[i]) != first) {
      continue;
    }
    qsizetype k = 1;
    while (k < m && upper(text[i + k]) == upper(needle[k])) {
      ++k;
    }
    if (k == m) {
      return i;
    }
  }
  return -1;
}

std::optional<QString> LibParser::GetTextBetween(qint32 start, QStringView text, QStringView open,
                                                 QStringView close) {
  if (!text.isEmpty() && start == 0) {
    start = 1;
  }
  if (start < 1) {
    return std::nullopt;  // invalid argument
  }
  const qsizetype openAt = indexOfIgnoringCase(text, open, qsizetype{start} - 1);
  if (openAt < 0) {
    return QString();
  }
  const qsizetype d = openAt + open.size();
  const qsizetype closeAt = indexOfIgnoringCase(text, close, d);
  if (closeAt < 0) {
    return QString();
  }
  const qsizetype next = closeAt + close.size() + 1;  // 1-based, just behind the delimiter
  if (next > std::numeric_limits<qint32>::max()) {
    return QString();  // beyond what a position can name
  }
  ScanPos = static_cast<qint32>(next);
  return text.mid(d, closeAt - d).toString();
}
