#include <gtest/gtest.h>

#include <QString>
#include <optional>

#include "shared/LibParser.h"
#include "tests/support/TestPrinting.h"

namespace {

TEST(GetTextBetween, ScanPosWalksAlongAFrame) {
  LibParser parser;
  const QString frame = QStringLiteral("<<A|B|C>>");

  EXPECT_EQ(parser.GetTextBetween(0, frame, u"<<", u"|"), QStringLiteral("A"));
  EXPECT_EQ(parser.ScanPos, 5);

  // The closing "|" of one field is the opening one of the next.
  EXPECT_EQ(parser.GetTextBetween(parser.ScanPos - 1, frame, u"|", u"|"), QStringLiteral("B"));
  EXPECT_EQ(parser.ScanPos, 7);

  EXPECT_EQ(parser.GetTextBetween(parser.ScanPos - 1, frame, u"|", u">>"), QStringLiteral("C"));
  EXPECT_EQ(parser.ScanPos, 10);
}

TEST(GetTextBetween, Cases) {
  constexpr qint32 kUnchanged = 42;  // ScanPos before each call
  struct Case {
    const char* name;
    qint32 start;
    QString text;
    QString open;
    QString close;
    std::optional<QString> expected;
    qint32 scanPos;
  };
  const Case cases[] = {
      {"delimiters found ignoring case, value keeps its case", 0,
       QStringLiteral("<title>Intro</Title>"), QStringLiteral("<TITLE>"),
       QStringLiteral("</TITLE>"), QStringLiteral("Intro"), 21},
      {"non-ASCII letters are compared ignoring case", 0,
       QString::fromUtf8("<t\u00EFtle>Caf\u00E9</T\u00CFtle>"), QString::fromUtf8("<T\u00CFTLE>"),
       QString::fromUtf8("</T\u00CFTLE>"), QString::fromUtf8("Caf\u00E9"), 20},
      {"empty value still moves the position", 0, QStringLiteral("<<>>"), QStringLiteral("<<"),
       QStringLiteral(">>"), QString(), 5},
      {"start 1 is the first character", 1, QStringLiteral("<<A>><<B>>"), QStringLiteral("<<"),
       QStringLiteral(">>"), QStringLiteral("A"), 6},
      {"an opening before the start is skipped", 2, QStringLiteral("<<A>><<B>>"),
       QStringLiteral("<<"), QStringLiteral(">>"), QStringLiteral("B"), 11},
      {"a closing before the opening is skipped", 0, QStringLiteral(">>x<<y>>"),
       QStringLiteral("<<"), QStringLiteral(">>"), QStringLiteral("y"), 9},
      {"closing missing", 0, QStringLiteral("a|b"), QStringLiteral("|"), QStringLiteral("|"),
       QString(), kUnchanged},
      {"closing never found inside the opening", 0, QStringLiteral("|x"), QStringLiteral("|"),
       QStringLiteral("|"), QString(), kUnchanged},
      {"opening missing", 0, QStringLiteral("abc>>"), QStringLiteral("<<"), QStringLiteral(">>"),
       QString(), kUnchanged},
      {"start beyond the end", 10, QStringLiteral("<<A>>"), QStringLiteral("<<"),
       QStringLiteral(">>"), QString(), kUnchanged},
      {"start 1 on an empty text", 1, QString(), QStringLiteral("<<"), QStringLiteral(">>"),
       QString(), kUnchanged},
      {"start 0 on an empty text is invalid", 0, QString(), QStringLiteral("<<"),
       QStringLiteral(">>"), std::nullopt, kUnchanged},
      {"negative start is invalid", -1, QStringLiteral("<<A>>"), QStringLiteral("<<"),
       QStringLiteral(">>"), std::nullopt, kUnchanged},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LibParser parser;
    parser.ScanPos = kUnchanged;
    const std::optional<QString> value = parser.GetTextBetween(c.start, c.text, c.open, c.close);
    ASSERT_EQ(value.has_value(), c.expected.has_value());
    if (value) {
      EXPECT_EQ(*value, *c.expected);
    }
    EXPECT_EQ(parser.ScanPos, c.scanPos);
  }
}

TEST(IndexOfIgnoringCase, Cases) {
  struct Case {
    QString text;
    QString needle;
    qsizetype from;
    qsizetype expected;
  };
  const Case cases[] = {
      {QStringLiteral("abcABC"), QStringLiteral("BC"), 0, 1},
      {QStringLiteral("abcABC"), QStringLiteral("bc"), 2, 4},
      {QStringLiteral("abcABC"), QStringLiteral("bc"), 5, -1},
      {QStringLiteral("abc"), QStringLiteral("c"), 2, 2},
      {QStringLiteral("abc"), QStringLiteral("x"), 0, -1},
      {QStringLiteral("ab"), QStringLiteral("abc"), 0, -1},
      {QStringLiteral("abc"), QStringLiteral("a"), -1, -1},
      {QString::fromUtf8("x\u00E4\u00F6"), QString::fromUtf8("\u00C4\u00D6"), 0, 1},
      {QStringLiteral("aab"), QStringLiteral("ab"), 0, 1},  // a partial match is not the end
      {QStringLiteral("abc"), QString(), 3, 3},
      {QStringLiteral("abc"), QString(), 4, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text) + " / " + testing::PrintToString(c.needle) +
                 " from " + std::to_string(c.from));
    EXPECT_EQ(indexOfIgnoringCase(c.text, c.needle, c.from), c.expected);
  }
}

}  // namespace
