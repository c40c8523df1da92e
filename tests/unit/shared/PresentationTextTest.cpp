#include <gtest/gtest.h>

#include <QString>

#include "shared/PresentationText.h"
#include "tests/support/TestPrinting.h"

namespace {

TEST(SanitizeText, Cases) {
  struct Case {
    const char* name;
    QString value;
    QString expected;
  };
  const Case cases[] = {
      {"printable ASCII stays", QStringLiteral("Slide 3: <b> & \"q\" ~"),
       QStringLiteral("Slide 3: <b> & \"q\" ~")},
      {"accented letter and tab", QString::fromUtf8("\u00E9\t"), QStringLiteral("  ")},
      {"CR and LF stay", QStringLiteral("one\r\ntwo\nthree\r"),
       QStringLiteral("one\r\ntwo\nthree\r")},
      {"DEL and control characters",
       QStringLiteral("a\x7f"
                      "b\x01"
                      "c\x1f"
                      "d") +
           QChar(u'\0'),
       QStringLiteral("a b c d ")},
      {"curly quotes have codes above 126", QString::fromUtf8("\u201CHi\u201D"),
       QStringLiteral(" Hi ")},
      {"no-break space", QString::fromUtf8("a\u00A0b"), QStringLiteral("a b")},
      {"a character without a code stays", QString::fromUtf8("x\u4E2Dy"),
       QString::fromUtf8("x\u4E2Dy")},
      {"an emoji has no code either", QString::fromUtf8("\U0001F600"),
       QString::fromUtf8("\U0001F600")},
      {"mixed", QString::fromUtf8("\u20AC5\t\u4E2D\r\n"), QString::fromUtf8(" 5 \u4E2D\r\n")},
      {"empty", QString(), QString()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QString once = SanitizeText(c.value);
    EXPECT_EQ(once, c.expected);
    EXPECT_EQ(once.size(), c.value.size());
    EXPECT_EQ(SanitizeText(once), once);
  }
}

TEST(StripFraming, RemovesDoubledAngleBrackets) {
  struct Case {
    const char* value;
    const char* expected;
  };
  const Case cases[] = {
      {">>>", ">"}, {"<<<", "<"}, {"a<<b>>c", "abc"}, {"<<<<", ""}, {"a < b > c", "a < b > c"},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(StripFraming(QString::fromLatin1(c.value)), QString::fromLatin1(c.expected));
  }
}

TEST(MakeXmlElement, Cases) {
  struct Case {
    QString name;
    QString value;
    bool appendLineEnd;
    bool multiLine;
    QString expected;
  };
  const Case cases[] = {
      {QStringLiteral("note"), QStringLiteral("Hi"), true, false,
       QStringLiteral("<NOTE>Hi</NOTE>\r\n")},
      {QStringLiteral("SLIDE_LIST"), QString(), true, true,
       QStringLiteral("<SLIDE_LIST>\r\n\r\n</SLIDE_LIST>\r\n")},
      {QStringLiteral("Title"), QStringLiteral("Hi"), false, false,
       QStringLiteral("<TITLE>Hi</TITLE>")},
      {QStringLiteral("note"), QStringLiteral("a\r\nb"), false, true,
       QStringLiteral("<NOTE>\r\na\r\nb\r\n</NOTE>")},
      {QStringLiteral("note"), QStringLiteral("a < b > c & d"), true, false,
       QStringLiteral("<NOTE>a < b > c & d</NOTE>\r\n")},
      {QStringLiteral("title"), QString::fromUtf8("Caf\u00E9\tTalk\x01"), true, false,
       QStringLiteral("<TITLE>Caf  Talk </TITLE>\r\n")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.name) + " " + testing::PrintToString(c.value));
    EXPECT_EQ(MakeXmlElement(c.name, c.value, c.appendLineEnd, c.multiLine), c.expected);
  }
}

TEST(XmlTags, KeepTheNameAsGiven) {
  EXPECT_EQ(XmlOpenTag(u"Slide"), QStringLiteral("<Slide>"));
  EXPECT_EQ(XmlCloseTag(u"Slide"), QStringLiteral("</Slide>"));
}

}  // namespace
