#include <gtest/gtest.h>

#include <QByteArray>
#include <QLabel>
#include <QString>
#include <memory>

#include "agent/LibTray.h"
#include "platform/TrayIcon.h"
#include "tests/support/FakeTrayIcon.h"
#include "tests/support/MainWindowRig.h"

namespace {

const QString kProductName = QStringLiteral("CorvaneControl");

// The agent's window and modules as the program wires them, with a tray that shows nothing.
class LibTrayTest : public MainWindowRig, public testing::Test {
 protected:
  ~LibTrayTest() override {
    // The window and modules go before the tray they were given.
    agent_.reset();
    window_.reset();
  }

  void loadWithTray(const QByteArray& savedPort = {}) {
    writeConfig(savedPort.isEmpty() ? QByteArray()
                                    : "[Communications]\r\nPort=" + savedPort + "\r\n");
    build();
    libTray_ = std::make_unique<LibTray>(tray_, *window_, product_);
    window_->AttachTray(*libTray_);
    window_->Form_Load(false, QStringLiteral("1.0.7"));
  }

  frmMain& window() { return *window_; }

  [[nodiscard]] bool inTray() { return window().isHidden() && tray_.present; }
  [[nodiscard]] bool shownNormally() { return window().isVisible() && !window().isMinimized(); }
  // In the task bar: shown, minimised.
  [[nodiscard]] bool minimisedInTaskBar() { return window().isVisible() && window().isMinimized(); }

  FakeTrayIcon tray_;
  std::unique_ptr<LibTray> libTray_;
};

TEST_F(LibTrayTest, StartingWithTheSavedPortEndsInTheTray) {
  struct Case {
    const char* name;
    bool host;
    bool busy;
    bool linked;
    bool inTray;
    bool minimisedInTaskBar;
  };
  const Case cases[] = {
      {"saved port opens", true, false, true, true, false},
      {"saved port busy: the window shows", true, true, false, false, false},
      {"no tray on the desktop: the task bar keeps it", false, false, true, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    agent_.reset();
    window_.reset();
    libTray_.reset();
    tray_ = FakeTrayIcon();
    tray_.host = c.host;
    devices_.devices.clear();
    portMap_.map.reset();
    const auto port = addPort(3);
    if (c.busy) {
      port->failing.insert(FakeSerialDevices::Step::Open);
    }
    loadWithTray("3");
    EXPECT_EQ(agent_->serial.PortOpen, c.linked);
    EXPECT_EQ(inTray(), c.inTray);
    EXPECT_EQ(minimisedInTaskBar(), c.minimisedInTaskBar);
    if (c.linked) {
      EXPECT_TRUE(tray_.present);
      EXPECT_EQ(tray_.tip, kProductName);
      EXPECT_EQ(tray_.icon.cacheKey(), window().windowIcon().cacheKey())
          << "the window's own icon until the lamp's first tick";
    } else {
      EXPECT_TRUE(shownNormally());
      EXPECT_FALSE(tray_.present) << "the icon comes with the first minimisation";
    }
  }
}

TEST_F(LibTrayTest, MinimisingHidesTheWindowBehindOneIcon) {
  loadWithTray();
  ASSERT_TRUE(shownNormally());
  ASSERT_FALSE(tray_.present);

  libTray_->MinimizeToTray();
  EXPECT_TRUE(inTray());
  EXPECT_TRUE(window().isMinimized());
  EXPECT_EQ(tray_.tip, kProductName);
  EXPECT_EQ(tray_.icon.cacheKey(), window().windowIcon().cacheKey());

  // Back with a click, then minimised by the user, as the window's own minimise button does.
  tray_.click(TrayIcon::kLeftButtonUp);
  ASSERT_TRUE(shownNormally());
  EXPECT_TRUE(tray_.present) << "the icon stays until the end of the run";
  window().showMinimized();
  EXPECT_TRUE(waitUntil([this] { return inTray(); }));
  EXPECT_FALSE(tray_.calls.contains(QStringLiteral("remove")));

  // Minimising a window that is minimised already adds nothing and shows nothing.
  libTray_->MinimizeToTray();
  EXPECT_TRUE(inTray());
}

TEST_F(LibTrayTest, OnlyALeftOrRightReleaseOnTheIconBringsTheWindowBack) {
  struct Case {
    const char* name;
    int message;
    bool restores;
  };
  const Case cases[] = {
      {"left release", TrayIcon::kLeftButtonUp, true},
      {"right release", TrayIcon::kRightButtonUp, true},
      {"move", TrayIcon::kMouseMove, false},
      {"left press", TrayIcon::kLeftButtonDown, false},
      {"left double-click", TrayIcon::kLeftButtonDoubleClick, false},
      {"right press", TrayIcon::kRightButtonDown, false},
      {"right double-click", TrayIcon::kRightButtonDoubleClick, false},
      {"middle press", TrayIcon::kMiddleButtonDown, false},
      {"middle release", TrayIcon::kMiddleButtonUp, false},
      {"middle double-click", TrayIcon::kMiddleButtonDoubleClick, false},
      {"a number no mouse sends", 0, false},
  };
  loadWithTray();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    libTray_->MinimizeToTray();
    ASSERT_TRUE(inTray());
    tray_.click(c.message);
    EXPECT_EQ(shownNormally(), c.restores);
    EXPECT_EQ(inTray(), !c.restores);
    EXPECT_TRUE(tray_.present);
    if (!c.restores) {
      tray_.click(TrayIcon::kLeftButtonUp);
    }
  }
}

TEST_F(LibTrayTest, TheLampLightsOnAFrameAndGoesOutAtTheNextTick) {
  const auto port = addPort(3);
  loadWithTray("3");
  ASSERT_TRUE(inTray());
  // The test gives the ticks itself.
  window().tmrLED.stop();
  const qint64 idle = window().led1.cacheKey();
  const qint64 active = window().led2.cacheKey();

  window().tmrLED_Timer();
  EXPECT_EQ(tray_.icon.cacheKey(), idle) << "the first tick replaces the window's own icon";

  port->incoming = "<<NOTHING|X|Y>>";
  ASSERT_TRUE(
      waitUntil([this] { return window().lblValIncomingPkts->text() == QStringLiteral("1"); }));
  EXPECT_EQ(tray_.icon.cacheKey(), active);
  EXPECT_EQ(tray_.tip, kProductName) << "every change sends the tip again";
  window().tmrLED_Timer();
  EXPECT_EQ(tray_.icon.cacheKey(), idle);

  // Once the icon is gone, the lamp changes nothing.
  libTray_->RemoveTrayIcon();
  EXPECT_FALSE(tray_.present);
  window().showActiveTrayIcon();
  window().tmrLED_Timer();
  EXPECT_FALSE(tray_.present);
}

TEST_F(LibTrayTest, TheLampOfAWindowNeverMinimisedShowsNowhere) {
  loadWithTray();
  window().showActiveTrayIcon();
  window().tmrLED_Timer();
  EXPECT_FALSE(tray_.present);
  EXPECT_TRUE(tray_.pictures.isEmpty());
  EXPECT_EQ(window().lamp(), frmMain::Lamp::Idle);
}

TEST_F(LibTrayTest, WithoutATrayTheWindowStaysInTheTaskBar) {
  tray_.host = false;
  loadWithTray();
  window().showMinimized();
  QCoreApplication::processEvents();
  EXPECT_TRUE(minimisedInTaskBar()) << "minimised by the user";
  window().showNormal();
  libTray_->MinimizeToTray();
  EXPECT_TRUE(minimisedInTaskBar()) << "sent to the tray";
}

TEST_F(LibTrayTest, AWindowInATrayThatGoesComesBackToTheTaskBar) {
  loadWithTray();
  libTray_->MinimizeToTray();
  window().tmrLED_Timer();
  ASSERT_TRUE(inTray()) << "the tray is there: the window stays behind its icon";

  tray_.host = false;
  window().tmrLED_Timer();
  EXPECT_TRUE(minimisedInTaskBar());
  // The user may take it from the task bar; the lamp's ticks leave it where the user puts it.
  window().showNormal();
  window().tmrLED_Timer();
  EXPECT_TRUE(shownNormally());
}

}  // namespace
