#include "platform/linux/PlaylistTagScanner.h"

#include <QChar>
#include <QLatin1StringView>
#include <algorithm>

namespace playlistfiles {

namespace {

bool isSpace(QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f'; }

bool isAsciiLetter(QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

// The code point of a character reference's digits, or nothing when they are none, too many, or
// name no character a text may hold.
std::optional<char32_t> codePointOf(QStringView digits, int base) {
  // Every code point fits in eight digits with leading zeros to spare; more could overflow.
  if (digits.isEmpty() || digits.size() > 8) {
    return std::nullopt;
  }
  char32_t value = 0;
  for (const QChar c : digits) {
    int digit = -1;
    if (c >= u'0' && c <= u'9') {
      digit = c.unicode() - u'0';
    } else if (base == 16 && c >= u'a' && c <= u'f') {
      digit = c.unicode() - u'a' + 10;
    } else if (base == 16 && c >= u'A' && c <= u'F') {
      digit = c.unicode() - u'A' + 10;
    }
    if (digit < 0) {
      return std::nullopt;
    }
    value = value * static_cast<char32_t>(base) + static_cast<char32_t>(digit);
  }
  if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::optional<QStringView> PlaylistTag::attribute(QLatin1StringView attributeName) const {
  for (const auto& [key, value] : attributes) {
    if (key.compare(attributeName, Qt::CaseInsensitive) == 0) {
      return value;
    }
  }
  return std::nullopt;
}

bool PlaylistTag::is(QLatin1StringView other) const {
  return name.compare(other, Qt::CaseInsensitive) == 0;
}

bool PlaylistTagScanner::next(PlaylistTag& tag) {
  while (pos_ < text_.size()) {
    const qsizetype lt = text_.indexOf(u'<', pos_);
    if (lt != pos_) {
      // Text up to the next "<" (or the end); a "<" that opens no markup stays in the text.
      const qsizetype end = (lt < 0) ? text_.size() : lt;
      tag = PlaylistTag{};
      tag.kind = PlaylistTag::Kind::Text;
      tag.text = text_.sliced(pos_, end - pos_);
      pos_ = end;
      return true;
    }
    const QStringView rest = text_.sliced(lt);
    if (rest.startsWith(QLatin1StringView("<!--"))) {
      const qsizetype close = text_.indexOf(QLatin1StringView("-->"), lt + 4);
      pos_ = (close < 0) ? text_.size() : close + 3;
      continue;
    }
    if (rest.startsWith(QLatin1StringView("<![CDATA["))) {
      const qsizetype close = text_.indexOf(QLatin1StringView("]]>"), lt + 9);
      if (close < 0) {
        pos_ = text_.size();
        return false;
      }
      tag = PlaylistTag{};
      tag.kind = PlaylistTag::Kind::Text;
      tag.text = text_.sliced(lt + 9, close - (lt + 9));
      tag.literal = true;
      pos_ = close + 3;
      return true;
    }
    if (rest.startsWith(QLatin1StringView("<?"))) {
      const qsizetype close = text_.indexOf(QLatin1StringView("?>"), lt + 2);
      pos_ = (close < 0) ? text_.size() : close + 2;
      continue;
    }
    if (rest.startsWith(QLatin1StringView("<!"))) {
      const qsizetype close = text_.indexOf(u'>', lt + 2);
      pos_ = (close < 0) ? text_.size() : close + 1;
      continue;
    }
    const bool endTag = rest.size() > 2 && rest[1] == u'/' && isAsciiLetter(rest[2]);
    const bool startTag = rest.size() > 1 && isAsciiLetter(rest[1]);
    if (!endTag && !startTag) {
      // A lone "<" (as in "a < b") is text.
      const qsizetype nextLt = text_.indexOf(u'<', lt + 1);
      const qsizetype end = (nextLt < 0) ? text_.size() : nextLt;
      tag = PlaylistTag{};
      tag.kind = PlaylistTag::Kind::Text;
      tag.text = text_.sliced(lt, end - lt);
      pos_ = end;
      return true;
    }
    return readTag(lt, tag);
  }
  return false;
}

bool PlaylistTagScanner::readTag(qsizetype from, PlaylistTag& tag) {
  tag = PlaylistTag{};
  const QStringView text = text_;
  const qsizetype size = text.size();
  qsizetype i = from + 1;
  if (text[i] == u'/') {
    tag.kind = PlaylistTag::Kind::End;
    ++i;
  } else {
    tag.kind = PlaylistTag::Kind::Start;
  }
  const auto endsName = [&](QChar c) { return isSpace(c) || c == u'>' || c == u'/'; };
  const qsizetype nameStart = i;
  while (i < size && !endsName(text[i])) {
    ++i;
  }
  tag.name = text.sliced(nameStart, i - nameStart);

  while (i < size) {
    const QChar c = text[i];
    if (isSpace(c)) {
      ++i;
      continue;
    }
    if (c == u'>') {
      pos_ = i + 1;
      return true;
    }
    if (c == u'/') {
      if (i + 1 < size && text[i + 1] == u'>') {
        tag.selfClosing = tag.kind == PlaylistTag::Kind::Start;
        pos_ = i + 2;
        return true;
      }
      ++i;
      continue;
    }
    // An attribute: a name, then perhaps "=" and a value.
    const qsizetype keyStart = i;
    while (i < size && !isSpace(text[i]) && text[i] != u'>' && text[i] != u'=' &&
           !(text[i] == u'/' && i + 1 < size && text[i + 1] == u'>')) {
      ++i;
    }
    const QStringView key = text.sliced(keyStart, i - keyStart);
    qsizetype j = i;
    while (j < size && isSpace(text[j])) {
      ++j;
    }
    if (j >= size || text[j] != u'=') {
      if (!key.isEmpty()) {
        tag.attributes.emplace_back(key, QStringView());
      } else {
        ++i;  // a stray "=" or the like: step over it
      }
      continue;
    }
    i = j + 1;
    while (i < size && isSpace(text[i])) {
      ++i;
    }
    if (i >= size) {
      break;
    }
    QStringView value;
    if (text[i] == u'"' || text[i] == u'\'') {
      const qsizetype close = text.indexOf(text[i], i + 1);
      if (close < 0) {
        break;
      }
      value = text.sliced(i + 1, close - i - 1);
      i = close + 1;
    } else {
      // Unquoted: up to a blank or the tag's end; a "/" right before ">" closes the tag.
      const qsizetype valueStart = i;
      while (i < size && !isSpace(text[i]) && text[i] != u'>' &&
             !(text[i] == u'/' && i + 1 < size && text[i + 1] == u'>')) {
        ++i;
      }
      value = text.sliced(valueStart, i - valueStart);
    }
    if (!key.isEmpty()) {
      tag.attributes.emplace_back(key, value);
    }
  }
  // The text ended inside the tag.
  pos_ = size;
  return false;
}

QString decodeEntities(QStringView text) {
  if (!text.contains(u'&')) {
    return text.toString();
  }
  QString out;
  out.reserve(text.size());
  qsizetype i = 0;
  while (i < text.size()) {
    const QChar c = text[i];
    if (c != u'&') {
      out += c;
      ++i;
      continue;
    }
    // A reference is short; looking only a few characters ahead keeps a text full of bare "&"
    // linear.
    const qsizetype semicolon =
        text.sliced(i, std::min<qsizetype>(text.size() - i, 12)).indexOf(u';');
    if (semicolon < 0) {
      out += c;
      ++i;
      continue;
    }
    const QStringView body = text.sliced(i + 1, semicolon - 1);
    std::optional<char32_t> replacement;
    if (body.startsWith(u'#')) {
      if (body.size() > 1 && (body[1] == u'x' || body[1] == u'X')) {
        replacement = codePointOf(body.sliced(2), 16);
      } else {
        replacement = codePointOf(body.sliced(1), 10);
      }
    } else if (body.compare(QLatin1StringView("amp"), Qt::CaseInsensitive) == 0) {
      replacement = U'&';
    } else if (body.compare(QLatin1StringView("lt"), Qt::CaseInsensitive) == 0) {
      replacement = U'<';
    } else if (body.compare(QLatin1StringView("gt"), Qt::CaseInsensitive) == 0) {
      replacement = U'>';
    } else if (body.compare(QLatin1StringView("quot"), Qt::CaseInsensitive) == 0) {
      replacement = U'"';
    } else if (body.compare(QLatin1StringView("apos"), Qt::CaseInsensitive) == 0) {
      replacement = U'\'';
    }
    if (!replacement) {
      out += c;
      ++i;
      continue;
    }
    const char32_t codePoint = *replacement;
    out += QString::fromUcs4(&codePoint, 1);
    i += semicolon + 1;
  }
  return out;
}

}  // namespace playlistfiles
