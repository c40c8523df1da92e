#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// The code page of the wire, the notes files and the settings file: Windows-1252, one byte per
// character. A character that the code page cannot represent is written as "?".
namespace windows1252 {

inline constexpr char kReplacement = '?';

// The character's code in the code page, or kReplacement's code when it has none.
[[nodiscard]] unsigned char codeOf(QChar c);

// True when the code page has a byte for the character.
[[nodiscard]] bool canRepresent(QChar c);

[[nodiscard]] QByteArray encode(QStringView text);
[[nodiscard]] QString decode(const QByteArray& bytes);
[[nodiscard]] QString decode(const char* data, qsizetype size);

}  // namespace windows1252
