#pragma once

#include <QString>
#include <QStringView>

// The element builder and its helpers, for the notes file and the slide-entry message.

inline constexpr QStringView kCrLf = u"\r\n";

// Every character whose Windows-1252 code lies outside 32..126, other than CR and LF, becomes a
// space; a character without a code counts as "?" and stays. Same length as the input.
[[nodiscard]] QString SanitizeText(QStringView value);

// The text without "<<", then without ">>".
[[nodiscard]] QString StripFraming(QStringView value);

// "<" NAME ">" sanitised value "</" NAME ">", NAME upper-cased; multi-line puts CRLF after the
// opening and before the closing tag; appendLineEnd adds CRLF behind the element.
[[nodiscard]] QString MakeXmlElement(QStringView name, QStringView value, bool appendLineEnd,
                                     bool multiLine);

[[nodiscard]] QString XmlOpenTag(QStringView name);
[[nodiscard]] QString XmlCloseTag(QStringView name);
