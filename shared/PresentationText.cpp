#include "shared/PresentationText.h"

#include "platform/Windows1252.h"

namespace {

// Printable ASCII, CR or LF: the characters that always stay.
constexpr bool isPlainAscii(char16_t u) { return (u >= 32 && u <= 126) || u == 13 || u == 10; }

// Appends the sanitised value to `out` without an intermediate copy.
void appendSanitized(QString& out, QStringView value) {
  // Most texts (and every element built earlier) are already clean: one pass that the compiler
  // can vectorise tells, and a plain append is then all that is needed.
  const char16_t* src = value.utf16();
  const qsizetype n = value.size();
  bool clean = true;
  for (qsizetype i = 0; i < n; ++i) {
    clean &= isPlainAscii(src[i]);
  }
  if (clean) {
    out.append(value);
    return;
  }
  const qsizetype at = out.size();
  out.resize(at + n);
  QChar* dst = out.data() + at;
  for (qsizetype i = 0; i < n; ++i) {
    const char16_t u = src[i];
    // ASCII is its own code; only the rest needs the code page's table.
    const unsigned char code =
        u < 0x80 ? static_cast<unsigned char>(u) : windows1252::codeOf(QChar(u));
    dst[i] = isPlainAscii(code) ? QChar(u) : QChar(u' ');
  }
}

}  // namespace

QString SanitizeText(QStringView value) {
  QString out;
  out.reserve(value.size());
  appendSanitized(out, value);
  return out;
}

QString StripFraming(QStringView value) {
  QString text = value.toString();
  text.remove(QStringLiteral("<<"));
  text.remove(QStringLiteral(">>"));
  return text;
}

QString MakeXmlElement(QStringView name, QStringView value, bool appendLineEnd, bool multiLine) {
  const QString upperName = name.toString().toUpper();
  QString element;
  element.reserve(value.size() + 2 * upperName.size() + 9);
  element += u'<';
  element += upperName;
  element += u'>';
  if (multiLine) {
    element += kCrLf;
  }
  appendSanitized(element, value);
  if (multiLine) {
    element += kCrLf;
  }
  element += QStringLiteral("</");
  element += upperName;
  element += u'>';
  if (appendLineEnd) {
    element += kCrLf;
  }
  return element;
}

QString XmlOpenTag(QStringView name) { return u'<' + name.toString() + u'>'; }

QString XmlCloseTag(QStringView name) { return QStringLiteral("</") + name.toString() + u'>'; }
