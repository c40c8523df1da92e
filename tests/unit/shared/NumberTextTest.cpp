#include <gtest/gtest.h>

#include <QString>
#include <iomanip>
#include <limits>
#include <optional>
#include <string>

#include "shared/NumberText.h"
#include "tests/support/TestPrinting.h"

namespace {

// "0.000…0001": a number far below the smallest double, so its nearest double is 0.
std::string tinyNumber() { return "0." + std::string(400, '0') + "1"; }

TEST(NumberText, ReadNumberTakesTheLongestLeadingNumber) {
  struct Case {
    std::string text;
    double expected;
  };
  const Case cases[] = {
      {" 3 slides", 3.0}, {"x", 0.0},
      {"-2.5abc", -2.5},  {".5", 0.5},
      {"", 0.0},          {"\t 42", 42.0},
      {"+7", 7.0},        {"5.", 5.0},
      {"1.2.3", 1.2},     {"1e5", 1.0},
      {"- 3", 0.0},       {"-.25", -0.25},
      {"007", 7.0},       {"1" + std::string(400, '0'), std::numeric_limits<double>::infinity()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 20));
    EXPECT_DOUBLE_EQ(numbertext::readNumber(QString::fromStdString(c.text)), c.expected);
  }
}

// What a person types: blanks anywhere, and an exponent. The plain reader above keeps reading
// "1e5" as 1 and "- 3" as 0.
TEST(NumberText, TypedNumberIgnoresEveryBlankAndTakesAnExponent) {
  struct Case {
    std::string text;
    double expected;
  };
  const Case cases[] = {
      {"1 5", 15.0},
      {"- 3", -3.0},
      {" 1 . 5 h", 1.5},
      {"\t2\t0", 20.0},
      {"1e2", 100.0},
      {"2.5E-1", 0.25},
      {"1E+3x", 1000.0},
      {"1 e 2", 100.0},
      {"1e", 1.0},
      {"1e-", 1.0},
      {"1e+x", 1.0},
      {"e5", 0.0},
      {".e5", 0.0},
      {"abc", 0.0},
      {"", 0.0},
      {"1.2.3", 1.2},
      {"-.5e1", -5.0},
      {"0e999999", 0.0},
      {"1e400", std::numeric_limits<double>::infinity()},
      {"-1e99999999999999999999", -std::numeric_limits<double>::infinity()},
      {"1e-400", 0.0},
      // The digits decide the order of magnitude together with the exponent.
      {"0.0000000001e310", 1e300},
      {"1" + std::string(400, '0') + "e-390", 1e10},
      {tinyNumber() + "e400", 0.1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 20));
    EXPECT_DOUBLE_EQ(numbertext::readNumber(QString::fromStdString(c.text),
                                            {.ignoreAllBlanks = true, .exponent = true}),
                     c.expected);
  }
}

TEST(NumberText, WholeNumberNeedsTheWholeTextAndRoundsHalfToEven) {
  struct Case {
    std::string text;
    std::optional<qint32> expected;
  };
  const Case cases[] = {
      {"30", 30},
      {" 30 ", 30},
      {"30.5", 30},
      {"31.5", 32},
      {"-0.5", 0},
      {"2.5", 2},
      {"-2.5", -2},
      {"abc", std::nullopt},
      {"30 min", std::nullopt},
      {"", std::nullopt},
      {"  ", std::nullopt},
      {"-", std::nullopt},
      {"1e3", std::nullopt},
      {"2147483647", 2147483647},
      {"2147483648", std::nullopt},
      {"-2147483648", -2147483647 - 1},
      {"-2147483649", std::nullopt},
      {"99999999999", std::nullopt},
      // Rounding decides the range: up to 2^31 is out, down to even -2^31 is in.
      {"2147483647.5", std::nullopt},
      {"-2147483648.5", -2147483647 - 1},
      {"1" + std::string(400, '0'), std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 20));
    EXPECT_EQ(numbertext::toWholeNumber(QString::fromStdString(c.text)), c.expected);
  }
}

// Too many digits for a double: far above the range the value is infinite, far below it is 0.
TEST(NumberText, AFractionBelowTheSmallestDoubleIsZero) {
  const QString tiny = QString::fromStdString(tinyNumber());
  EXPECT_EQ(numbertext::readNumber(tiny), 0.0);
  EXPECT_EQ(numbertext::readNumber(QStringLiteral("-") + tiny), 0.0);
  EXPECT_EQ(numbertext::toWholeNumber(tiny), 0);
}

TEST(NumberText, ParseNumberGivesTheValueOfAWholeNumberText) {
  EXPECT_EQ(numbertext::parseNumber(u" -2.5\t"), -2.5);
  EXPECT_EQ(numbertext::parseNumber(u"-2.5abc"), std::nullopt);
  EXPECT_EQ(numbertext::parseNumber(u"."), std::nullopt);
}

TEST(NumberText, RoundHalfEven) {
  struct Case {
    double value;
    double expected;
  };
  const Case cases[] = {
      {0.5, 0.0},
      {1.5, 2.0},
      {2.5, 2.0},
      {-1.5, -2.0},
      {-2.5, -2.0},
      {22.5, 22.0},
      {2.4, 2.0},
      {2.6, 3.0},
      {-0.5, 0.0},
      // Just below a half: adding 0.5 first would round this up.
      {0.49999999999999994, 0.0},
      // 2^52 + 1: adding 0.5 first would land on a neighbour.
      {4503599627370497.0, 4503599627370497.0},
      {-4503599627370497.0, -4503599627370497.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::setprecision(17) << c.value);
    EXPECT_EQ(numbertext::roundHalfEven(c.value), c.expected);
  }
}

TEST(NumberText, ToBoolean) {
  struct Case {
    const char16_t* text;
    std::optional<bool> expected;
  };
  const Case cases[] = {
      {u"TRUE", true},   {u"true", true},        {u"True", true},     {u"FALSE", false},
      {u"false", false}, {u"-1", true},          {u"0", false},       {u"2", true},
      {u"0.0", false},   {u"yes", std::nullopt}, {u"", std::nullopt}, {u"TRUE!", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(QString::fromUtf16(c.text).toStdString());
    EXPECT_EQ(numbertext::toBoolean(QStringView(c.text)), c.expected);
  }
}

}  // namespace
