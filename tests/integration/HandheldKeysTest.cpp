#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QString>
#include <algorithm>
#include <vector>

#include "agent/LibControls.h"
#include "agent/LibNewSendKey.h"
#include "platform/linux/LinuxPlatform.h"
#include "tests/support/DispatcherRig.h"
#include "tests/support/X11InputRecorder.h"

// The handheld's keyboard keys on the real X server: frames through the dispatcher and the input
// primitives to XTest, received by a focused client that counts what arrives.
namespace {

constexpr int kWatchMs = 1000;

class HandheldKeysTest : public testing::Test, protected DispatcherRig {
 protected:
  void SetUp() override {
    ASSERT_TRUE(recorder_.isOpen());
    ASSERT_TRUE(recorder_.focus());
    (void)recorder_.takeEvents();
    general_.ConnectTargets(CommandTargets{controls_, actions_, actions_, actions_, actions_,
                                           actions_, actions_, presentation_});
  }

  // Everything the window receives within a full second of the frame: a key left down would
  // auto-repeat in that time.
  std::vector<RecordedInput> eventsWithinASecond() {
    QElapsedTimer watch;
    watch.start();
    (void)recorder_.waitFor([&watch](const auto&) { return watch.elapsed() >= kWatchMs; });
    return recorder_.takeEvents();
  }

  LinuxPlatform desktop_;
  LibNewSendKey sendKey_{desktop_.input};
  LibControls controls_{desktop_.input, desktop_.input, sendKey_, desktop_.windows, desktop_.clock};
  X11InputRecorder recorder_;
};

TEST_F(HandheldKeysTest, EachNamedKeyIsOneKeystroke) {
  struct Case {
    const char* frame;
    unsigned long keysym;
  };
  const Case cases[] = {
      {"<<SENDKEY|KBD|{UP}>>", XK_Up},
      {"<<SENDKEY|KBD|{DOWN}>>", XK_Down},
      {"<<SENDKEY|KBD|{LEFT}>>", XK_Left},
      {"<<SENDKEY|KBD|{RIGHT}>>", XK_Right},
      {"<<SENDKEY|KBD|{ENTER}>>", XK_Return},
      {"<<SENDKEY|KBD|{enter}>>", XK_Return},
      // The handheld's Esc button: one whole Esc, where a lone release would be dropped.
      {"<<SENDKEY|KBD|{ESC}>>", XK_Escape},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.frame);
    general_.ProcessMessage(QString::fromLatin1(c.frame));
    const std::vector<RecordedInput> events = eventsWithinASecond();
    const auto count = [&](RecordedInput::Kind kind) {
      return std::count_if(events.begin(), events.end(), [&](const RecordedInput& e) {
        return e.kind == kind && e.keysym == c.keysym;
      });
    };
    EXPECT_EQ(count(RecordedInput::Kind::KeyDown), 1);
    EXPECT_EQ(count(RecordedInput::Kind::KeyUp), 1);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.front().kind, RecordedInput::Kind::KeyDown);
    EXPECT_EQ(events.back().kind, RecordedInput::Kind::KeyUp);
  }
}

}  // namespace
