#include <gtest/gtest.h>

#include <QString>
#include <functional>
#include <ostream>

#include "platform/SerialDevices.h"
#include "tests/support/TestPrinting.h"

// Internal linkage, but in the type's namespace, where the printer of the test framework looks.
[[maybe_unused]] static void PrintTo(const SerialLineSettings& s, std::ostream* os) {
  *os << "{baud=" << s.baud << " parity=" << static_cast<int>(s.parity) << " data=" << s.dataBits
      << " stop=" << static_cast<int>(s.stopBits) << " to=" << static_cast<int>(s.timeouts)
      << " xon=" << static_cast<int>(s.xonXoff) << " idsr=" << static_cast<int>(s.dsrSensitivity)
      << " octs=" << static_cast<int>(s.ctsFlow) << " odsr=" << static_cast<int>(s.dsrFlow)
      << " dtr=" << static_cast<int>(s.dtr) << " rts=" << static_cast<int>(s.rts) << '}';
}

namespace {

using Parity = SerialLineSettings::Parity;
using StopBits = SerialLineSettings::StopBits;
using Switch = SerialLineSettings::Switch;
using LineControl = SerialLineSettings::LineControl;

// Every field away from what any case below sets, so that a field a text should not touch but
// does shows up.
SerialLineSettings startingSettings() {
  SerialLineSettings s;
  s.baud = 300;
  s.parity = Parity::Mark;
  s.dataBits = 6;
  s.stopBits = StopBits::OneAndHalf;
  s.timeouts = Switch::Unchanged;
  s.xonXoff = Switch::Unchanged;
  s.dsrSensitivity = Switch::Unchanged;
  s.ctsFlow = Switch::Unchanged;
  s.dsrFlow = Switch::Unchanged;
  s.dtr = LineControl::Unchanged;
  s.rts = LineControl::Unchanged;
  return s;
}

// What a text that names no flow control leaves of it: none, DTR and RTS raised.
void withoutFlowControl(SerialLineSettings& s) {
  s.xonXoff = Switch::Off;
  s.dsrSensitivity = Switch::Off;
  s.ctsFlow = Switch::Off;
  s.dsrFlow = Switch::Off;
  s.dtr = LineControl::On;
  s.rts = LineControl::On;
}

struct Accepted {
  const char16_t* text;
  std::function<void(SerialLineSettings&)> expect;  // what the text changes
};

TEST(SerialModeTextTest, AcceptedTextsSetWhatTheyNameAndKeepTheRestOfTheFraming) {
  const Accepted cases[] = {
      {u"baud=57600 parity=N data=8 stop=1",
       [](SerialLineSettings& s) {
         s.baud = 57600;
         s.parity = Parity::None;
         s.dataBits = 8;
         s.stopBits = StopBits::One;
       }},
      {u"BAUD=9600 Parity=e DATA=7 Stop=2",
       [](SerialLineSettings& s) {
         s.baud = 9600;
         s.parity = Parity::Even;
         s.dataBits = 7;
         s.stopBits = StopBits::Two;
       }},
      {u"  baud=2400    data=5  ",
       [](SerialLineSettings& s) {
         s.baud = 2400;
         s.dataBits = 5;
       }},
      {u"baud=1200 baud=4800", [](SerialLineSettings& s) { s.baud = 4800; }},
      {u"baud=110", [](SerialLineSettings& s) { s.baud = 110; }},
      {u"baud=115200", [](SerialLineSettings& s) { s.baud = 115200; }},
      {u"baud=921600", [](SerialLineSettings& s) { s.baud = 921600; }},
      {u"baud=96", [](SerialLineSettings& s) { s.baud = 9600; }},
      {u"baud=19", [](SerialLineSettings& s) { s.baud = 19200; }},
      {u"baud=12", [](SerialLineSettings& s) { s.baud = 1200; }},
      {u"baud=11", [](SerialLineSettings& s) { s.baud = 110; }},
      {u"parity=n", [](SerialLineSettings& s) { s.parity = Parity::None; }},
      {u"parity=O", [](SerialLineSettings& s) { s.parity = Parity::Odd; }},
      {u"parity=S", [](SerialLineSettings& s) { s.parity = Parity::Space; }},
      {u"parity=m", [](SerialLineSettings& s) { s.parity = Parity::Mark; }},
      {u"data=8", [](SerialLineSettings& s) { s.dataBits = 8; }},
      {u"stop=1.5", [](SerialLineSettings& s) { s.stopBits = StopBits::OneAndHalf; }},
      {u"to=on", [](SerialLineSettings& s) { s.timeouts = Switch::On; }},
      {u"to=OFF", [](SerialLineSettings& s) { s.timeouts = Switch::Off; }},
  };
  for (const Accepted& c : cases) {
    const QString text = QString::fromUtf16(c.text);
    SCOPED_TRACE(escapedText(text));
    SerialLineSettings expected = startingSettings();
    withoutFlowControl(expected);
    c.expect(expected);
    SerialLineSettings settings = startingSettings();
    EXPECT_TRUE(BuildLineSettings(text, settings));
    EXPECT_EQ(settings, expected);
  }
}

// The settings start as a device another program left with every kind of flow control on; only
// what the text names may stay on.
TEST(SerialModeTextTest, FlowControlIsOnlyWhatTheTextNames) {
  struct Case {
    const char16_t* text;
    Switch xon;
    Switch idsr;
    Switch octs;
    Switch odsr;
    LineControl dtr;
    LineControl rts;
  };
  constexpr Switch kOff = Switch::Off;
  constexpr Switch kOn = Switch::On;
  constexpr LineControl kLineOn = LineControl::On;
  constexpr LineControl kHs = LineControl::Handshake;
  const Case cases[] = {
      {u"baud=57600 parity=N data=8 stop=1", kOff, kOff, kOff, kOff, kLineOn, kLineOn},
      {u"to=on", kOff, kOff, kOff, kOff, kLineOn, kLineOn},
      {u"xon=on", kOn, kOff, kOff, kOff, kLineOn, kLineOn},
      {u"XON=ON baud=9600", kOn, kOff, kOff, kOff, kLineOn, kLineOn},
      {u"idsr=on", kOff, kOn, kOff, kOff, kLineOn, kLineOn},
      {u"octs=on", kOff, kOff, kOn, kOff, kLineOn, kLineOn},
      {u"odsr=on", kOff, kOff, kOff, kOn, kLineOn, kLineOn},
      {u"rts=hs", kOff, kOff, kOff, kOff, kLineOn, kHs},
      {u"dtr=hs", kOff, kOff, kOff, kOff, kHs, kLineOn},
      {u"rts=tg", kOff, kOff, kOff, kOff, kLineOn, LineControl::Toggle},
      {u"dtr=off rts=off", kOff, kOff, kOff, kOff, LineControl::Off, LineControl::Off},
      {u"dtr=on rts=on", kOff, kOff, kOff, kOff, kLineOn, kLineOn},
      {u"xon=off octs=off odsr=off idsr=off", kOff, kOff, kOff, kOff, kLineOn, kLineOn},
      {u"xon=on xon=off", kOff, kOff, kOff, kOff, kLineOn, kLineOn},
      {u"xon=on octs=on odsr=on idsr=on dtr=hs rts=hs", kOn, kOn, kOn, kOn, kHs, kHs},
  };
  for (const Case& c : cases) {
    const QString text = QString::fromUtf16(c.text);
    SCOPED_TRACE(escapedText(text));
    SerialLineSettings settings = startingSettings();
    settings.xonXoff = kOn;
    settings.dsrSensitivity = kOn;
    settings.ctsFlow = kOn;
    settings.dsrFlow = kOn;
    settings.dtr = kHs;
    settings.rts = kHs;
    ASSERT_TRUE(BuildLineSettings(text, settings));
    EXPECT_EQ(settings.xonXoff, c.xon);
    EXPECT_EQ(settings.dsrSensitivity, c.idsr);
    EXPECT_EQ(settings.ctsFlow, c.octs);
    EXPECT_EQ(settings.dsrFlow, c.odsr);
    EXPECT_EQ(settings.dtr, c.dtr);
    EXPECT_EQ(settings.rts, c.rts);
  }
}

TEST(SerialModeTextTest, RefusedTextsLeaveTheSettingsAlone) {
  const char16_t* const cases[] = {
      u"",
      u"   ",
      u"baud",
      u"baud=",
      u"=9600",
      u"speed=9600",
      u"baud==9600",
      u"baud=9601",
      u"baud=14400",  // the old platform's rate; no termios speed for it
      u"baud=0",
      u"baud=09600",
      u"baud=-9600",
      u"baud=99999999999999999999",
      u"baud=\u0669\u0666\u0660\u0660",  // digits, but not the ASCII ones
      u"parity=X",
      u"parity=NO",
      u"parity=",
      u"data=4",
      u"data=9",
      u"data=78",
      u"stop=3",
      u"stop=1.0",
      u"to=yes",
      u"xon=1",
      u"dtr=tg",  // toggling is for RTS only
      u"rts=xx",
      u"baud=9600,parity=N",
      u"baud=9600\tparity=N",
      // A good pair before a bad one must not be applied either.
      u"baud=9600 parity=Q",
      u"baud=57600 parity=N data=8 stop=1 colour=blue",
  };
  for (const char16_t* c : cases) {
    const QString text = QString::fromUtf16(c);
    SCOPED_TRACE(escapedText(text));
    SerialLineSettings settings = startingSettings();
    EXPECT_FALSE(BuildLineSettings(text, settings));
    EXPECT_EQ(settings, startingSettings());
  }
}

}  // namespace
