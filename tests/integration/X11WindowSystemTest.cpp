#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QThread>
#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <optional>
#include <vector>

#include "platform/linux/X11WindowSystem.h"
#include "tests/support/EnvironmentGuard.h"
#include "tests/support/MissingDisplays.h"
#include "tests/support/TestPrinting.h"
#include "tests/support/X11TestWindows.h"

namespace {

using TitleKind = X11TestWindows::TitleKind;

template <typename Item>
bool contains(const std::vector<Item>& list, X11TestWindows::Id window) {
  return std::find(list.begin(), list.end(), window) != list.end();
}

std::size_t positionOf(const std::vector<WindowHandle>& list, X11TestWindows::Id window) {
  return static_cast<std::size_t>(std::find(list.begin(), list.end(), window) - list.begin());
}

// Puts a list of the test's own on the root window in the manager's place (nothing: removes
// it), and the manager's back when it goes.
class RootListOverride {
 public:
  RootListOverride(X11TestWindows& windows, const char* property,
                   const std::optional<X11TestWindows::RootList>& list)
      : windows_(windows), property_(property), saved_(windows.rootList(property)) {
    windows_.setRootList(property_, list);
  }
  ~RootListOverride() { windows_.setRootList(property_, saved_); }
  RootListOverride(const RootListOverride&) = delete;
  RootListOverride& operator=(const RootListOverride&) = delete;

 private:
  X11TestWindows& windows_;
  const char* property_;
  std::optional<X11TestWindows::RootList> saved_;
};

// Leaves the manager's show-desktop mode on the way out, so that later tests find their windows
// on the screen.
class LeaveShowingDesktop {
 public:
  explicit LeaveShowingDesktop(X11TestWindows& windows) : windows_(windows) {}
  ~LeaveShowingDesktop() { EXPECT_TRUE(windows_.setShowingDesktop(false)); }
  LeaveShowingDesktop(const LeaveShowingDesktop&) = delete;
  LeaveShowingDesktop& operator=(const LeaveShowingDesktop&) = delete;

 private:
  X11TestWindows& windows_;
};

// The desktop of scripts/with-desktop.sh: Xvfb with IceWM. The test client opens the windows;
// the adapter, on its own connection, looks at them and changes them as the agent would.
class X11WindowSystemTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run through scripts/with-desktop.sh";
    ASSERT_TRUE(windows_.isOpen());
  }

  X11TestWindows::Id openWindow(const QByteArray& title, TitleKind kind = TitleKind::Both) {
    const X11TestWindows::Id window = windows_.open(title, kind);
    EXPECT_NE(window, 0U) << "the window manager did not take " << title.constData();
    return window;
  }

  X11TestWindows windows_;
  X11WindowSystem system_;
};

TEST_F(X11WindowSystemTest, TitlesReadAsText) {
  struct Case {
    const char* name;
    QByteArray stored;
    TitleKind kind;
    QString expected;
  };
  const Case cases[] = {
      {"ASCII", "Notes - Talk.ppt", TitleKind::Both, QStringLiteral("Notes - Talk.ppt")},
      {"UTF-8 beyond Latin-1", "Präsentation – Ü", TitleKind::Both,
       QStringLiteral("Präsentation – Ü")},
      {"empty", "", TitleKind::Both, QString()},
      {"only WM_NAME, Latin-1", "Caf\xE9 gr\xFC\xDF", TitleKind::LegacyLatin1,
       QStringLiteral("Café grüß")},
      // ESC - F puts ISO 8859-7 (Greek) into the right half.
      {"only WM_NAME, compound text", "Alpha \x1B-F\xE1\xE2", TitleKind::LegacyCompoundText,
       QStringLiteral("Alpha αβ")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto window = openWindow(c.stored, c.kind);
    const auto title = system_.windowTitle(window);
    ASSERT_TRUE(title.has_value());
    EXPECT_EQ(*title, c.expected);
  }
}

TEST_F(X11WindowSystemTest, TitleChangeIsReadAgain) {
  const auto window = openWindow("Before");
  windows_.setTitle(window, "After – ä");
  EXPECT_EQ(system_.windowTitle(window), QStringLiteral("After – ä"));
}

TEST_F(X11WindowSystemTest, LongTitleIsCutAtWholeCharacter) {
  // One ASCII byte, then two-byte characters: the bound falls inside a character.
  QByteArray stored("a");
  for (int i = 0; i < 40000; ++i) {
    stored.append("ä");
  }
  const auto window = openWindow(stored);
  const auto title = system_.windowTitle(window);
  ASSERT_TRUE(title.has_value());
  const qsizetype wholeCharacters = (X11WindowSystem::kMaxTitleBytes - 1) / 2;
  ASSERT_EQ(title->size(), 1 + wholeCharacters);
  EXPECT_EQ(title->back(), QChar(u'ä'));
  EXPECT_EQ(title->count(QChar(u'ä')), wholeCharacters);
}

TEST_F(X11WindowSystemTest, ListHoldsWindowsTopFirst) {
  const auto oldest = openWindow("Oldest");
  const auto middle = openWindow("Middle");
  const auto newest = openWindow("Newest");
  ASSERT_TRUE(windows_.raise(oldest));
  const std::vector<WindowHandle> list = system_.topLevelWindows();
  ASSERT_FALSE(list.empty());
  EXPECT_EQ(list.front(), oldest);
  EXPECT_LT(positionOf(list, newest), positionOf(list, middle));
  auto stacking = windows_.stackingOrder();
  std::reverse(stacking.begin(), stacking.end());
  EXPECT_EQ(list, std::vector<WindowHandle>(stacking.begin(), stacking.end()));
}

// A manager that keeps no stacking list: its client list is the nearest there is, and turning
// that round would not give the stacking order either.
TEST_F(X11WindowSystemTest, WithoutStackingListTheClientListKeepsItsOrder) {
  const auto oldest = openWindow("Oldest");
  const auto middle = openWindow("Middle");
  const auto newest = openWindow("Newest");
  ASSERT_TRUE(windows_.raise(oldest));
  std::vector<WindowHandle> list;
  {
    const RootListOverride noStacking(windows_, "_NET_CLIENT_LIST_STACKING", std::nullopt);
    list = system_.topLevelWindows();
  }
  ASSERT_LT(positionOf(list, newest), list.size());
  EXPECT_LT(positionOf(list, oldest), positionOf(list, middle));
  EXPECT_LT(positionOf(list, middle), positionOf(list, newest));
  const auto managers = windows_.clientList();
  EXPECT_EQ(list, std::vector<WindowHandle>(managers.begin(), managers.end()));
}

TEST_F(X11WindowSystemTest, ForegroundFollowsActivation) {
  const auto first = openWindow("One");
  const auto second = openWindow("Two");
  for (const auto window : {first, second, first}) {
    ASSERT_TRUE(windows_.activate(window));
    EXPECT_EQ(system_.foregroundWindow(), window);
  }
}

// As a task bar does when the user picks a window below another, or an iconified one.
TEST_F(X11WindowSystemTest, ActivateBringsTheWindowToTheFrontWithTheKeyboard) {
  for (const bool iconifiedFirst : {false, true}) {
    SCOPED_TRACE(iconifiedFirst ? "iconified first" : "below another");
    const auto wanted = openWindow("Wanted");
    const auto other = openWindow("Other");
    ASSERT_TRUE(windows_.activate(other));
    if (iconifiedFirst) {
      ASSERT_TRUE(system_.minimize(wanted));
      ASSERT_TRUE(windows_.waitUntil([&] { return windows_.isIconic(wanted); }));
    }
    ASSERT_TRUE(system_.activate(wanted));
    EXPECT_TRUE(windows_.waitUntil(
        [&] { return system_.foregroundWindow() == wanted && windows_.inputFocus() == wanted; }));
    EXPECT_TRUE(windows_.isViewable(wanted));
    EXPECT_TRUE(windows_.waitUntil([&] {
      const auto order = windows_.ownWindowsAsStacked();
      return !order.empty() && order.back() == wanted;
    }));
  }
}

// What IceWM does with the request: it iconifies every window until one is activated again.
TEST_F(X11WindowSystemTest, ShowDesktopPutsEveryWindowOutOfTheWay) {
  const auto first = openWindow("Desk one");
  const auto second = openWindow("Desk two");
  ASSERT_TRUE(windows_.isViewable(first) && windows_.isViewable(second));
  const LeaveShowingDesktop leave(windows_);
  ASSERT_TRUE(system_.showDesktop());
  EXPECT_TRUE(windows_.waitUntil([&] {
    return windows_.showingDesktop() && !windows_.isViewable(first) && !windows_.isViewable(second);
  }));
}

TEST_F(X11WindowSystemTest, ShowDesktopAsksOnlyAManagerThatOffersIt) {
  const auto window = openWindow("Stays");
  windows_.watchRootMessages();
  {
    const auto supported = windows_.rootList("_NET_SUPPORTED");
    ASSERT_TRUE(supported.has_value());
    X11TestWindows::RootList without = *supported;
    std::erase(without.items, windows_.atom("_NET_SHOWING_DESKTOP"));
    ASSERT_LT(without.items.size(), supported->items.size());
    const RootListOverride lacking(windows_, "_NET_SUPPORTED", without);

    EXPECT_FALSE(system_.showDesktop());
    EXPECT_EQ(windows_.rootMessages("_NET_SHOWING_DESKTOP"), std::vector<long>{});
    EXPECT_FALSE(windows_.showingDesktop());
    EXPECT_TRUE(windows_.isViewable(window));
  }
  // The manager's own list back: the request goes out, and the watch sees it.
  const LeaveShowingDesktop leave(windows_);
  ASSERT_TRUE(system_.showDesktop());
  EXPECT_EQ(windows_.rootMessages("_NET_SHOWING_DESKTOP"), std::vector<long>{1});
}

TEST_F(X11WindowSystemTest, MaximizeSetsBothStatesAndBringsBackIconified) {
  for (const bool iconifiedFirst : {false, true}) {
    SCOPED_TRACE(iconifiedFirst ? "iconified first" : "normal");
    const auto window = openWindow("Maximize me");
    if (iconifiedFirst) {
      ASSERT_TRUE(system_.minimize(window));
      ASSERT_TRUE(windows_.waitUntil([&] { return windows_.isIconic(window); }));
    }
    ASSERT_TRUE(system_.maximize(window));
    EXPECT_TRUE(windows_.waitUntil(
        [&] { return windows_.isMaximizedBothWays(window) && !windows_.isIconic(window); }));
  }
}

TEST_F(X11WindowSystemTest, MinimizeIconifies) {
  const auto window = openWindow("Minimize me");
  ASSERT_TRUE(system_.minimize(window));
  EXPECT_TRUE(windows_.waitUntil([&] { return windows_.isIconic(window); }));
  EXPECT_TRUE(contains(windows_.clientList(), window)) << "iconified windows stay listed";
  EXPECT_TRUE(contains(system_.topLevelWindows(), window));
}

TEST_F(X11WindowSystemTest, RaiseWithoutActivatingKeepsTheActiveWindow) {
  const auto lower = openWindow("Lower");
  const auto active = openWindow("Active");
  ASSERT_TRUE(windows_.activate(active));
  ASSERT_TRUE(windows_.waitUntil([&] { return windows_.stackingOrder().back() == active; }));

  ASSERT_TRUE(system_.raiseWithoutActivating(lower));
  EXPECT_TRUE(windows_.waitUntil([&] { return windows_.stackingOrder().back() == lower; }));
  // Give a manager that would activate it late the time to do so.
  QThread::msleep(200);
  EXPECT_EQ(windows_.activeWindow(), active);
  EXPECT_EQ(system_.foregroundWindow(), active);
}

TEST_F(X11WindowSystemTest, WindowsThatAreNotThereFailEveryCall) {
  const auto vanished = openWindow("Going");
  ASSERT_NE(vanished, 0U);
  ASSERT_TRUE(windows_.destroy(vanished));
  struct Case {
    const char* name;
    WindowHandle window;
  };
  const Case cases[] = {
      {"destroyed", vanished},
      {"none", 0},
      {"beyond X resource IDs", 0xFFFF'FFFF'0000'0001ULL},
      {"never created", 0x1FFF'FFF0ULL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(system_.windowTitle(c.window), std::nullopt);
    EXPECT_FALSE(system_.maximize(c.window));
    EXPECT_FALSE(system_.minimize(c.window));
    EXPECT_FALSE(system_.raiseWithoutActivating(c.window));
    EXPECT_FALSE(system_.activate(c.window));
  }
  // The adapter goes on working after the errors.
  const auto window = openWindow("Still here");
  EXPECT_EQ(system_.windowTitle(window), QStringLiteral("Still here"));
}

TEST(X11WindowSystemWithoutDisplayTest, EveryCallFails) {
  ForEachMissingDisplay([] {
    X11WindowSystem system;
    EXPECT_TRUE(system.topLevelWindows().empty());
    EXPECT_EQ(system.foregroundWindow(), 0U);
    EXPECT_EQ(system.windowTitle(1), std::nullopt);
    EXPECT_FALSE(system.maximize(1));
    EXPECT_FALSE(system.minimize(1));
    EXPECT_FALSE(system.raiseWithoutActivating(1));
    EXPECT_FALSE(system.activate(1));
    EXPECT_FALSE(system.showDesktop());
  });
}

// A server of its own, killed under the adapter's open connection: the process lives on and
// the calls fail, instead of Xlib's default of ending the process.
TEST(X11WindowSystemLostServerTest, CallsFailAfterTheServerDies) {
  constexpr int kFirstDisplay = 121;
  constexpr int kLastDisplay = 150;
  QProcess server;
  int number = kFirstDisplay;
  for (; number <= kLastDisplay; ++number) {
    if (QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(number))) {
      continue;
    }
    server.start(QStringLiteral("Xvfb"), {QStringLiteral(":%1").arg(number),
                                          QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    ASSERT_TRUE(server.waitForStarted(5000));
    const QString socket = QStringLiteral("/tmp/.X11-unix/X%1").arg(number);
    for (int i = 0; i < 100 && server.state() == QProcess::Running && !QFileInfo::exists(socket);
         ++i) {
      QThread::msleep(50);
    }
    if (server.state() == QProcess::Running && QFileInfo::exists(socket)) {
      break;
    }
    (void)server.waitForFinished(1000);
  }
  ASSERT_LE(number, kLastDisplay) << "no free display for a server of the test's own";
  const QByteArray name = QStringLiteral(":%1").arg(number).toLatin1();

  EnvironmentGuard display("DISPLAY");
  qputenv("DISPLAY", name);
  X11WindowSystem system;
  {
    // Gone before the server, so that only the adapter's connection breaks.
    X11TestWindows client(name);
    ASSERT_TRUE(client.isOpen());
    const auto window = client.create("Alive");
    EXPECT_EQ(system.windowTitle(window), QStringLiteral("Alive"));
  }

  // A server that shuts down closes its clients' connections as one that crashes does, and
  // leaves no lock file behind.
  server.terminate();
  ASSERT_TRUE(server.waitForFinished(5000));
  EXPECT_EQ(system.windowTitle(1), std::nullopt);
  EXPECT_TRUE(system.topLevelWindows().empty());
  EXPECT_EQ(system.foregroundWindow(), 0U);
  EXPECT_FALSE(system.minimize(1));
  EXPECT_FALSE(system.showDesktop());
}

}  // namespace
