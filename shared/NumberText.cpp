#include "shared/NumberText.h"

#include <QString>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

namespace numbertext {
namespace {

bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }
bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

struct Scan {
  double value = 0.0;
  bool found = false;  // at least one digit
  qsizetype end = 0;   // index just behind the number (or behind the blanks when none)
};

// An exponent's digits beyond this many add nothing: every value that far out is infinite or 0,
// and the bound keeps the arithmetic on it exact.
constexpr qint64 kExponentBound = 1'000'000'000;

// The power of ten of the leading digit of `mantissa` (digits with at most one "."), scaled by
// 10^exponent; below every order when all its digits are 0.
qint64 decimalOrder(const std::string& mantissa, qint64 exponent) {
  const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
  const std::size_t first = mantissa.find_first_of("123456789");
  if (first == std::string::npos) {
    return std::numeric_limits<qint64>::min();
  }
  const auto order =
      first < point ? static_cast<qint64>(point - first) - 1 : -static_cast<qint64>(first - point);
  return order + exponent;
}

// Blanks, then an optional sign, digits, an optional "." with digits, and when allowed an
// exponent.
Scan scanLeadingNumber(QStringView text, bool allowExponent) {
  Scan scan;
  qsizetype i = 0;
  const qsizetype n = text.size();
  while (i < n && isBlank(text[i])) {
    ++i;
  }
  scan.end = i;
  bool negative = false;
  if (i < n && (text[i] == u'+' || text[i] == u'-')) {
    negative = text[i] == u'-';
    ++i;
  }
  // The digits go to an exact decimal conversion; only their span is found here.
  std::string ascii;
  bool digits = false;
  while (i < n && isDigit(text[i])) {
    ascii.push_back(static_cast<char>(text[i].unicode()));
    digits = true;
    ++i;
  }
  if (i < n && text[i] == u'.') {
    qsizetype j = i + 1;
    std::string fraction;
    while (j < n && isDigit(text[j])) {
      fraction.push_back(static_cast<char>(text[j].unicode()));
      ++j;
    }
    if (digits || !fraction.empty()) {
      ascii += '.';
      ascii += fraction;
      i = j;
      digits = true;
    }
  }
  if (!digits) {
    return scan;
  }
  const std::string mantissa = ascii;
  qint64 exponent = 0;
  if (allowExponent && i < n && (text[i] == u'e' || text[i] == u'E')) {
    qsizetype j = i + 1;
    bool negativeExponent = false;
    if (j < n && (text[j] == u'+' || text[j] == u'-')) {
      negativeExponent = text[j] == u'-';
      ++j;
    }
    if (j < n && isDigit(text[j])) {
      while (j < n && isDigit(text[j])) {
        exponent = std::min(exponent * 10 + (text[j].unicode() - u'0'), kExponentBound);
        ++j;
      }
      exponent = negativeExponent ? -exponent : exponent;
      ascii += 'e';
      ascii += std::to_string(exponent);
      i = j;
    }
  }
  double value = 0.0;
  const auto result = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    // Too large for a double, or so close to zero that it is zero.
    value = decimalOrder(mantissa, exponent) >= 0 ? std::numeric_limits<double>::infinity() : 0.0;
  }
  scan.value = negative ? -value : value;
  scan.found = true;
  scan.end = i;
  return scan;
}

}  // namespace

double readNumber(QStringView text, ReadOptions options) {
  if (!options.ignoreAllBlanks) {
    return scanLeadingNumber(text, options.exponent).value;
  }
  QString packed;
  packed.reserve(text.size());
  for (const QChar c : text) {
    if (!isBlank(c)) {
      packed.append(c);
    }
  }
  return scanLeadingNumber(packed, options.exponent).value;
}

std::optional<double> parseNumber(QStringView text) {
  const Scan scan = scanLeadingNumber(text, false);
  if (!scan.found) {
    return std::nullopt;
  }
  for (qsizetype i = scan.end; i < text.size(); ++i) {
    if (!isBlank(text[i])) {
      return std::nullopt;
    }
  }
  return scan.value;
}

double roundHalfEven(double value) {
  if (!std::isfinite(value)) {
    return value;
  }
  const double floor = std::floor(value);
  const double diff = value - floor;
  if (diff < 0.5) {
    return floor;
  }
  if (diff > 0.5) {
    return floor + 1.0;
  }
  return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

std::optional<qint32> toInt32(double value) {
  const double rounded = roundHalfEven(value);
  if (!std::isfinite(rounded) || rounded < std::numeric_limits<qint32>::min() ||
      rounded > std::numeric_limits<qint32>::max()) {
    return std::nullopt;
  }
  return static_cast<qint32>(rounded);
}

std::optional<qint32> toWholeNumber(QStringView text) {
  if (auto number = parseNumber(text)) {
    return toInt32(*number);
  }
  return std::nullopt;
}

std::optional<bool> toBoolean(QStringView text) {
  const QStringView trimmed = text.trimmed();
  if (trimmed.compare(u"TRUE", Qt::CaseInsensitive) == 0) {
    return true;
  }
  if (trimmed.compare(u"FALSE", Qt::CaseInsensitive) == 0) {
    return false;
  }
  if (auto number = parseNumber(text)) {
    return *number != 0.0;
  }
  return std::nullopt;
}

}  // namespace numbertext
