#pragma once

#include <QStringView>
#include <QtGlobal>
#include <optional>

// Numbers in text, read the same way everywhere in the system.
namespace numbertext {

// What the lenient reader accepts beyond its plain form. Both are off for the files and the
// wire, whose numbers are written by programs; text a person typed gets both.
struct ReadOptions {
  // Blanks anywhere are ignored, not only leading ones: "1 5" reads 15 and "- 3" reads -3.
  bool ignoreAllBlanks = false;
  // The digits may be followed by an exponent, "e" or "E" with an optional sign and digits:
  // "1e2" reads 100, "2.5E-1" 0.25. An "e" without digits ends the number before it ("1e" is 1).
  bool exponent = false;
};

// The lenient reader: leading blanks are skipped, the longest leading decimal number
// (optional sign, digits, optional "." and digits, and what `options` adds) is taken, the rest
// is ignored, and a text without a number gives 0.
[[nodiscard]] double readNumber(QStringView text, ReadOptions options = {});

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
