#include <gtest/gtest.h>

#include <QChar>
#include <QString>
#include <ostream>
#include <vector>

#include "platform/KeySequence.h"
#include "platform/VirtualKeys.h"
#include "tests/support/TestPrinting.h"

void PrintTo(const KeyStroke& stroke, std::ostream* os) {
  *os << (stroke.alt ? "alt+" : "");
  if (stroke.virtualKey != 0) {
    *os << "vk" << stroke.virtualKey;
  } else {
    *os << "U+" << std::hex << std::uppercase << static_cast<unsigned>(stroke.character)
        << std::dec;
  }
}

namespace {

using Strokes = std::vector<KeyStroke>;

KeyStroke ch(char32_t character) { return KeyStroke{false, 0, character}; }
KeyStroke altCh(char32_t character) { return KeyStroke{true, 0, character}; }
KeyStroke vk(quint16 virtualKey) { return KeyStroke{false, virtualKey, 0}; }
KeyStroke altVk(quint16 virtualKey) { return KeyStroke{true, virtualKey, 0}; }

// The tables spell texts in UTF-16 so that lone surrogates and control characters can be written.
QString t(const char16_t* utf16) { return QString::fromUtf16(utf16); }

TEST(ParseKeySequenceTest, AcceptedTextsGiveTheirStrokesInOrder) {
  struct Case {
    QString keys;
    Strokes strokes;
  };
  const Case cases[] = {
      {t(u""), {}},
      {t(u"ab"), {ch('a'), ch('b')}},
      // Alt holds for the one key that follows, named or typed.
      {t(u"%{LEFT}"), {altVk(VirtualKey::kLeft)}},
      {t(u"%D"), {altCh('D')}},
      {t(u"%ab"), {altCh('a'), ch('b')}},
      {t(u"%{%}"), {altCh('%')}},
      {t(u"%\r\n"), {altVk(VirtualKey::kEnter)}},
      {t(u"{F1}"), {vk(VirtualKey::kF1)}},
      {t(u"{F5}"), {vk(116)}},
      {t(u"{f12}"), {vk(VirtualKey::kF12)}},
      {t(u"{Esc}{eNtEr}{pgdn}"),
       {vk(VirtualKey::kEscape), vk(VirtualKey::kEnter), vk(VirtualKey::kPageDown)}},
      {t(u"{BS}{bksp}{Backspace}"),
       {vk(VirtualKey::kBackspace), vk(VirtualKey::kBackspace), vk(VirtualKey::kBackspace)}},
      // A single character in braces is typed, even one the notation uses.
      {t(u"a{%}b"), {ch('a'), ch('%'), ch('b')}},
      {t(u"{{}"), {ch('{')}},
      {t(u"{}}"), {ch('}')}},
      {t(u"{}}x"), {ch('}'), ch('x')}},
      {t(u"{F}"), {ch('F')}},
      {t(u"}"), {ch('}')}},
      // Every line break is one Enter, whichever convention it follows.
      {t(u"line\r\nnext"),
       {ch('l'), ch('i'), ch('n'), ch('e'), vk(VirtualKey::kEnter), ch('n'), ch('e'), ch('x'),
        ch('t')}},
      {t(u"a\rb\nc"), {ch('a'), vk(VirtualKey::kEnter), ch('b'), vk(VirtualKey::kEnter), ch('c')}},
      {t(u"\n\r"), {vk(VirtualKey::kEnter), vk(VirtualKey::kEnter)}},
      {t(u"\r\r\n"), {vk(VirtualKey::kEnter), vk(VirtualKey::kEnter)}},
      {t(u"a\tb"), {ch('a'), vk(VirtualKey::kTab), ch('b')}},
      // A surrogate pair is one character, bare or in braces.
      {t(u"\U0001F600"), {ch(U'\U0001F600')}},
      {t(u"{\U0001F600}"), {ch(U'\U0001F600')}},
      {t(u"%\U0001F600x"), {altCh(U'\U0001F600'), ch('x')}},
      {t(u"\u00E9\u00A0\u20AC"), {ch(U'\u00E9'), ch(U'\u00A0'), ch(U'\u20AC')}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(escapedText(c.keys));
    const auto strokes = ParseKeySequence(c.keys);
    ASSERT_TRUE(strokes.has_value());
    EXPECT_EQ(*strokes, c.strokes);
  }
}

TEST(ParseKeySequenceTest, TextsOutsideTheNotationAreRefused) {
  const QString cases[] = {
      // Braces that never close or hold no name.
      t(u"{"),
      t(u"abc{"),
      t(u"{LEFT"),
      t(u"{}"),
      t(u"{}x"),
      // Names no key has.
      t(u"{LEFTT}"),
      t(u"{xy}"),
      t(u"{F13}"),
      t(u"{F0}"),
      t(u"{F01}"),
      t(u"{F+1}"),
      t(u"{F1 }"),
      t(u"{ F1}"),
      t(u"{F\u0661}"),
      // Letters that only Unicode case mapping turns into the ASCII names INSERT and SPACE.
      t(u"{\u0131nsert}"),
      t(u"{\u017Fpace}"),
      // Alt with no key after it.
      t(u"%"),
      t(u"abc%"),
      t(u"%%"),
      // Control characters other than line breaks and tabs, bare or in braces.
      QString(QChar(0)),
      t(u"a\u0001b"),
      t(u"\u001B"),
      t(u"\u001F"),
      t(u"\u007F"),
      t(u"\u0085"),
      t(u"\u009F"),
      t(u"{\u0001}"),
      t(u"{\u007F}"),
      // Lone surrogates.
      QString(QChar(0xD83D)),
      QString(QChar(0xDE00)),
      t(u"a") + QChar(0xD83D),
      QString(QChar(0xDE00)) + QChar(0xD83D),
      t(u"{") + QChar(0xD83D) + t(u"}"),
  };
  for (const QString& keys : cases) {
    SCOPED_TRACE(escapedText(keys));
    EXPECT_FALSE(ParseKeySequence(keys).has_value());
  }
}

// The limit counts UTF-16 code units, so characters beyond the BMP count twice.
TEST(ParseKeySequenceTest, LengthLimitCountsCodeUnits) {
  const QString atLimit(kMaxKeySequenceLength, u'a');
  const auto strokes = ParseKeySequence(atLimit);
  ASSERT_TRUE(strokes.has_value());
  EXPECT_EQ(static_cast<qsizetype>(strokes->size()), kMaxKeySequenceLength);
  EXPECT_FALSE(ParseKeySequence(atLimit + u'a').has_value());

  const QString face = t(u"\U0001F600");
  const QString pairsAtLimit = face.repeated(kMaxKeySequenceLength / 2);
  const auto faces = ParseKeySequence(pairsAtLimit);
  ASSERT_TRUE(faces.has_value());
  EXPECT_EQ(static_cast<qsizetype>(faces->size()), kMaxKeySequenceLength / 2);
  EXPECT_FALSE(ParseKeySequence(pairsAtLimit + face).has_value());
}

}  // namespace
