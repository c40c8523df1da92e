#include "platform/TrimText.h"

namespace {

template <typename IsTrimmed>
QStringView trimmedWhere(QStringView text, IsTrimmed isTrimmed) {
  qsizetype begin = 0;
  qsizetype end = text.size();
  while (begin < end && isTrimmed(text[begin])) {
    ++begin;
  }
  while (end > begin && isTrimmed(text[end - 1])) {
    --end;
  }
  return text.sliced(begin, end - begin);
}

}  // namespace

QString TrimSpaces(QStringView text) {
  return trimmedWhere(text, [](QChar c) { return c == u' '; }).toString();
}

QStringView TrimBlanks(QStringView text) {
  return trimmedWhere(text, [](QChar c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\v' || c == u'\f';
  });
}
