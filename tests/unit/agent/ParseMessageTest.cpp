#include <gtest/gtest.h>

#include <QString>

#include "agent/MessageFields.h"
#include "shared/LibParser.h"
#include "tests/support/TestPrinting.h"

namespace {

struct FrameCase {
  const char* frame;
  const char* command;
  const char* arg1;
  const char* arg2;
};

void expectFields(const MessageFields& fields, const FrameCase& c) {
  EXPECT_EQ(fields.MsgCommand, QString::fromUtf8(c.command));
  EXPECT_EQ(fields.MsgArg1, QString::fromUtf8(c.arg1));
  EXPECT_EQ(fields.MsgArg2, QString::fromUtf8(c.arg2));
}

TEST(ParseMessageTest, SplitsFramesIntoCommandAndTwoArguments) {
  const FrameCase cases[] = {
      {"<<A|B|C>>", "A", "B", "C"},
      // Two fields: the one argument is argument 2.
      {"<<DIRLIST|Music>>", "DIRLIST", "", "Music"},
      // Everything after the second "|" is argument 2.
      {"<<SENDKEY|KBD|a|b>>", "SENDKEY", "KBD", "a|b"},
      {"<<SENDKEY|KBD|a|b|c|>>", "SENDKEY", "KBD", "a|b|c|"},
      {"<<INFO|VERSION|>>", "INFO", "VERSION", ""},
      {"<<A|>>", "A", "", ""},
      {"<<|||>>", "", "", "|"},
      {"<<||x>>", "", "", "x"},
      // Neither trimmed nor changed in case.
      {"<< mouse | 1 | 2 >>", " mouse ", " 1 ", " 2 "},
      // A "<<" inside a frame is text of the command.
      {"<<A<<B|C|D>>", "A<<B", "C", "D"},
      // Text that is no frame of the receive loop's still splits at its delimiters.
      {"x<<A|B|C>>y", "A", "B", "C"},
      {"<<CMD|x|y", "CMD", "x", ""},
      {"<<CMD|x>>|y>>", "CMD", "x>>", "y"},
  };
  for (const FrameCase& c : cases) {
    SCOPED_TRACE(c.frame);
    LibParser parser;
    MessageFields fields;
    fields.ParseMessage(QString::fromUtf8(c.frame), parser);
    expectFields(fields, c);
  }
}

// A frame that carries no command must not show any field of the frame before it, whatever
// scan position the receive buffer or that frame left behind.
TEST(ParseMessageTest, FrameWithoutCommandClearsEveryFieldWhateverTheScanPosition) {
  const char* const frames[] = {
      "<<W>>",          // five characters
      "<<|>>",          // five characters with a "|"
      "<<WMP>>",        // no "|"
      "<<>>",           // shorter still
      "",               // nothing
      "abc|def|ghi>>",  // no "<<": a stale scan position would find "def" and "ghi"
      "|a|b|<<WMP>>",   // the only "|" before the "<<"
  };
  const qint32 staleScanPositions[] = {0, 1, 2, 5, 16, -7, 1000};
  for (const char* frame : frames) {
    for (const qint32 stale : staleScanPositions) {
      SCOPED_TRACE(testing::Message() << frame << " after ScanPos " << stale);
      LibParser parser;
      MessageFields fields;
      fields.ParseMessage(u"<<MOUSE|10|20>>", parser);
      ASSERT_EQ(fields.MsgCommand, u"MOUSE");
      parser.ScanPos = stale;
      fields.ParseMessage(QString::fromUtf8(frame), parser);
      expectFields(fields, {frame, "", "", ""});
    }
  }
}

TEST(ParseMessageTest, EachFrameIsParsedOnItsOwn) {
  // What the receive loop hands over in a row, with the scan position carried from one to the
  // next as the program's one shared position.
  const FrameCase sequence[] = {
      {"<<SENDKEY|KBD|a|b>>", "SENDKEY", "KBD", "a|b"},
      {"<<WMP>>", "", "", ""},
      {"<<DIRLIST|Music>>", "DIRLIST", "", "Music"},
      {"<<W>>", "", "", ""},
      {"<<MOUSE|1|2>>", "MOUSE", "1", "2"},
      {"<<TP|5>>", "TP", "", "5"},
  };
  LibParser parser;
  MessageFields fields;
  for (const FrameCase& c : sequence) {
    SCOPED_TRACE(c.frame);
    fields.ParseMessage(QString::fromUtf8(c.frame), parser);
    expectFields(fields, c);
  }
}

TEST(ParseMessageTest, LongFrameKeepsItsWholeSecondArgument) {
  const QString body(100000, u'x');
  LibParser parser;
  MessageFields fields;
  fields.ParseMessage(
      QStringLiteral("<<WMP|SET_PLAYLIST|") + body + u'|' + body + QStringLiteral(">>"), parser);
  EXPECT_EQ(fields.MsgCommand, u"WMP");
  EXPECT_EQ(fields.MsgArg1, u"SET_PLAYLIST");
  EXPECT_EQ(fields.MsgArg2, body + u'|' + body);
}

}  // namespace
