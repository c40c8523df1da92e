#include "shared/NumberText.h"

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

// Blanks, then an optional sign, digits, and an optional "." with digits.
Scan scanLeadingNumber(QStringView text) {
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
  double value = 0.0;
  if (digits) {
    const auto result = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
      // Too large for a double, or so close to zero that it is zero.
      const bool whole = ascii.find_first_of("123456789") < ascii.find('.');
      value = whole ? std::numeric_limits<double>::infinity() : 0.0;
    }
  }
  if (digits) {
    scan.value = negative ? -value : value;
    scan.found = true;
    scan.end = i;
  }
  return scan;
}

}  // namespace

double readNumber(QStringView text) { return scanLeadingNumber(text).value; }

std::optional<double> parseNumber(QStringView text) {
  const Scan scan = scanLeadingNumber(text);
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
