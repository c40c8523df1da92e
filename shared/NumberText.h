#pragma once

#include <QStringView>
#include <QtGlobal>
#include <optional>

// Numbers in text, read the same way everywhere in the system.
namespace numbertext {

// The lenient reader: leading blanks are skipped, the longest leading decimal number
// (optional sign, digits, optional "." and digits) is taken, the rest is ignored, and a text
// without a number gives 0.
[[nodiscard]] double readNumber(QStringView text);

// The strict form: the whole text (blanks around it allowed) must be such a number.
[[nodiscard]] std::optional<double> parseNumber(QStringView text);

// To the nearest whole number, an exact half to the even neighbour.
[[nodiscard]] double roundHalfEven(double value);

// A value rounded by roundHalfEven that fits a signed 32-bit integer, or nothing.
[[nodiscard]] std::optional<qint32> toInt32(double value);

// A text that is wholly a number, rounded to a signed 32-bit integer; nothing when the text is
// not a number or the value leaves the range.
[[nodiscard]] std::optional<qint32> toWholeNumber(QStringView text);

// "TRUE" or "FALSE" in any case, or a number (0 is false, any other true); nothing otherwise.
[[nodiscard]] std::optional<bool> toBoolean(QStringView text);

}  // namespace numbertext
