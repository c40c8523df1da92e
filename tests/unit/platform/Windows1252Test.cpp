#include <gtest/gtest.h>

#include "platform/Windows1252.h"
#include "tests/support/TestPrinting.h"

namespace {

QByteArray everyByte() {
  QByteArray bytes;
  for (int b = 0; b < 256; ++b) {
    bytes.append(static_cast<char>(b));
  }
  return bytes;
}

TEST(Windows1252, AsciiAndLatin1RangesDecodeToTheSameCodePoint) {
  const QString text = windows1252::decode(everyByte());
  ASSERT_EQ(text.size(), 256);
  for (int b = 0; b < 256; ++b) {
    if (b >= 0x80 && b < 0xA0) {
      continue;
    }
    SCOPED_TRACE(b);
    EXPECT_EQ(text[b].unicode(), b);
  }
}

TEST(Windows1252, HighControlBytesFollowTheCodePage) {
  struct Case {
    unsigned char byte;
    char16_t unicode;
  };
  const Case cases[] = {
      {0x80, 0x20AC},  // euro sign
      {0x82, 0x201A},
      {0x8A, 0x0160},
      {0x8C, 0x0152},
      {0x91, 0x2018},
      {0x92, 0x2019},
      {0x93, 0x201C},  // left double quotation mark
      {0x94, 0x201D},  // right double quotation mark
      {0x96, 0x2013},
      {0x97, 0x2014},
      {0x99, 0x2122},
      {0x9E, 0x017E},
      {0x9F, 0x0178},  // Y with diaeresis
      // The five bytes the code page leaves undefined stand for the C1 control of their number.
      {0x81, 0x0081},
      {0x8D, 0x008D},
      {0x8F, 0x008F},
      {0x90, 0x0090},
      {0x9D, 0x009D},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "byte 0x" << std::hex << unsigned{c.byte});
    const QString text = windows1252::decode(QByteArray(1, static_cast<char>(c.byte)));
    ASSERT_EQ(text.size(), 1);
    EXPECT_EQ(text[0].unicode(), c.unicode);
    EXPECT_TRUE(windows1252::canRepresent(QChar(c.unicode)));
    EXPECT_EQ(windows1252::codeOf(QChar(c.unicode)), c.byte);
  }
}

TEST(Windows1252, EveryByteSurvivesDecodeThenEncode) {
  const QByteArray bytes = everyByte();
  const QString text = windows1252::decode(bytes);
  EXPECT_EQ(windows1252::encode(text), bytes);
  for (const QChar c : text) {
    EXPECT_TRUE(windows1252::canRepresent(c)) << "U+" << std::hex << unsigned{c.unicode()};
  }
}

TEST(Windows1252, DecodeOfRawDataReadsExactlyTheGivenSize) {
  const char data[] = {'a', '\x80', 'b', '\0', 'c'};
  EXPECT_EQ(windows1252::decode(data, 4), QString::fromUtf8("a\u20ACb") + QChar(u'\0'));
  EXPECT_TRUE(windows1252::decode(data, 0).isEmpty());
}

TEST(Windows1252, CharactersWithoutACodeBecomeAQuestionMark) {
  struct Case {
    const char* name;
    char16_t unicode;
  };
  const Case cases[] = {
      {"CJK ideograph", 0x4E2D},
      {"A with macron", 0x0100},
      {"C1 control without a byte", 0x0080},
      {"C1 control without a byte", 0x009F},
      {"replacement character", 0xFFFD},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QChar ch(c.unicode);
    EXPECT_FALSE(windows1252::canRepresent(ch));
    EXPECT_EQ(windows1252::codeOf(ch), '?');
    EXPECT_EQ(windows1252::encode(QString(ch)), QByteArray("?"));
  }
}

TEST(Windows1252, EncodeKeepsOneBytePerCharacter) {
  // An emoji is a surrogate pair: two characters, neither with a code.
  const QString text = QString::fromUtf8("a\u20AC\u4E2D\U0001F600\u00E9z");
  ASSERT_EQ(text.size(), 7);
  EXPECT_EQ(windows1252::encode(text), QByteArray("a\x80???\xE9z"));
}

}  // namespace
