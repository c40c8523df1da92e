#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QPoint>
#include <QThread>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "agent/LibTray.h"
#include "agent/WindowArtwork.h"
#include "platform/linux/QtTrayIcon.h"
#include "tests/support/EventWait.h"
#include "tests/support/MainWindowRig.h"
#include "tests/support/X11TestWindows.h"

// Last: Xlib's macros would break the Qt headers.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace {

// The tray is the X desktop's: the application object, made before the tests run, has to be on
// the X display rather than off screen.
const bool kOnTheXDisplay = qputenv("QT_QPA_PLATFORM", "xcb");

// A window of Qt's may go between our looking it up and asking about it; the question then has
// no answer, which is no reason to end the test program.
int ignoreXError(Display* /*display*/, XErrorEvent* /*error*/) { return 0; }

// How long the desktop may take to dock, map or click; a bound, never a measure of speed.
constexpr int kPatienceMs = 5000;

bool waitUntil(const std::function<bool()>& condition) {
  return waitForCondition(condition, kPatienceMs);
}

// The desktop as another client sees it: the tray's owner, where our icon sits, and a user's
// mouse (XTest) to click it.
class DesktopView {
 public:
  DesktopView() : display_(XOpenDisplay(nullptr)) { XSetErrorHandler(ignoreXError); }
  ~DesktopView() {
    if (display_ != nullptr) {
      XCloseDisplay(display_);
    }
  }
  DesktopView(const DesktopView&) = delete;
  DesktopView& operator=(const DesktopView&) = delete;

  [[nodiscard]] bool isOpen() const { return display_ != nullptr; }

  // The window that holds the system tray selection of the default screen; 0 for none.
  [[nodiscard]] Window trayOwner() {
    const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(DefaultScreen(display_));
    return XGetSelectionOwner(display_, XInternAtom(display_, name.constData(), False));
  }

  // The window is inside another client's window (docked, not a top level of its own) and on
  // the screen.
  [[nodiscard]] bool isDockedAndViewable(Window window) {
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display_, window, &root, &parent, &children, &count) == 0) {
      return false;
    }
    if (children != nullptr) {
      XFree(children);
    }
    XWindowAttributes attributes{};
    return parent != root && XGetWindowAttributes(display_, window, &attributes) != 0 &&
           attributes.map_state == IsViewable && attributes.width > 0 && attributes.height > 0;
  }

  // The middle of the window, on the screen.
  [[nodiscard]] std::optional<QPoint> middleOf(Window window) {
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display_, window, &attributes) == 0) {
      return std::nullopt;
    }
    int x = 0;
    int y = 0;
    Window child = 0;
    if (XTranslateCoordinates(display_, window, DefaultRootWindow(display_), attributes.width / 2,
                              attributes.height / 2, &x, &y, &child) == 0) {
      return std::nullopt;
    }
    return QPoint(x, y);
  }

  void pointTo(QPoint where) {
    XTestFakeMotionEvent(display_, -1, where.x(), where.y(), CurrentTime);
    XSync(display_, False);
  }
  void button(unsigned int number, bool down) {
    XTestFakeButtonEvent(display_, number, down ? True : False, CurrentTime);
    XSync(display_, False);
  }

 private:
  Display* display_;
};

// Qt's dock window of the icon: a top-level widget of ours that the tray took in.
std::optional<Window> dockedIconWindow(DesktopView& view, const QWidget* except = nullptr) {
  for (const QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget == except || !widget->testAttribute(Qt::WA_WState_Created)) {
      continue;
    }
    const auto window = static_cast<Window>(widget->winId());
    if (view.isDockedAndViewable(window)) {
      return window;
    }
  }
  return std::nullopt;
}

class TrayIconTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(kOnTheXDisplay);
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    ASSERT_TRUE(view_.isOpen()) << "no X display";
    ASSERT_NE(view_.trayOwner(), 0u) << "the desktop's panel holds no system tray";
  }

  DesktopView view_;
};

TEST_F(TrayIconTest, TheIconDocksInThePanelsTray) {
  QtTrayIcon tray;
  EXPECT_TRUE(tray.hostAvailable());
  EXPECT_FALSE(dockedIconWindow(view_).has_value());

  ASSERT_TRUE(tray.add(QIcon(WindowArtwork::lamp(false)), QStringLiteral("CorvaneControl")));
  EXPECT_TRUE(waitUntil([this] { return dockedIconWindow(view_).has_value(); }))
      << "the icon shows in the tray";
  EXPECT_FALSE(tray.add(QIcon(WindowArtwork::lamp(true)), QStringLiteral("again"))) << "one icon";
  EXPECT_TRUE(tray.modify(QIcon(WindowArtwork::lamp(true)), QStringLiteral("CorvaneControl")));

  ASSERT_TRUE(tray.remove());
  EXPECT_TRUE(waitUntil([this] { return !dockedIconWindow(view_).has_value(); }))
      << "the icon leaves the tray";
  EXPECT_FALSE(tray.remove());
  EXPECT_FALSE(tray.modify(QIcon(WindowArtwork::lamp(false)), QStringLiteral("CorvaneControl")));
}

TEST_F(TrayIconTest, AClickOnTheIconReportsTheReleaseOfItsButtonAtThePress) {
  QtTrayIcon tray;
  std::vector<int> messages;
  tray.setMouseHandler([&messages](int message) { messages.push_back(message); });
  ASSERT_TRUE(tray.add(QIcon(WindowArtwork::lamp(false)), QStringLiteral("CorvaneControl")));
  std::optional<Window> icon;
  ASSERT_TRUE(waitUntil([&] { return (icon = dockedIconWindow(view_)).has_value(); }));
  // The panel lays its icons out after taking them in.
  QThread::msleep(200);
  QCoreApplication::processEvents();
  const std::optional<QPoint> middle = view_.middleOf(*icon);
  ASSERT_TRUE(middle.has_value());
  view_.pointTo(*middle);

  struct Case {
    const char* name;
    unsigned int button;
    int message;
  };
  const Case cases[] = {
      {"left", Button1, TrayIcon::kLeftButtonUp},
      {"right", Button3, TrayIcon::kRightButtonUp},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    messages.clear();
    view_.button(c.button, true);
    EXPECT_TRUE(waitUntil([&messages] { return !messages.empty(); }))
        << "reported while the button is still down";
    view_.button(c.button, false);
    // Whatever else comes is reported by now.
    QThread::msleep(100);
    QCoreApplication::processEvents();
    EXPECT_EQ(messages, std::vector<int>{c.message});
  }
}

// The agent's window over its modules, as the program wires them, with the real tray.
class WindowInTrayTest : public MainWindowRig, public TrayIconTest {
 protected:
  ~WindowInTrayTest() override {
    agent_.reset();
    window_.reset();
  }

  QtTrayIcon tray_;
  std::unique_ptr<LibTray> libTray_;
};

TEST_F(WindowInTrayTest, AMinimisedWindowLeavesTheScreenForTheTrayAndAClickBringsItBack) {
  build();
  libTray_ = std::make_unique<LibTray>(tray_, *window_, product_);
  window_->AttachTray(*libTray_);
  window_->Form_Load(false, QStringLiteral("1.0.7"));

  X11TestWindows windows;
  ASSERT_TRUE(windows.isOpen());
  const auto id = static_cast<X11TestWindows::Id>(window_->winId());
  ASSERT_TRUE(windows.waitUntil([&] { return windows.isViewable(id); }));

  // Minimised through the window manager: Qt asks it to iconify the window (WM_CHANGE_STATE).
  window_->showMinimized();
  std::optional<Window> icon;
  EXPECT_TRUE(waitUntil([&] {
    return window_->isHidden() && !windows.isViewable(id) &&
           (icon = dockedIconWindow(view_, window_.get())).has_value();
  })) << "the window leaves the screen and its icon is in the tray; hidden "
      << window_->isHidden() << ", minimised " << window_->isMinimized() << ", viewable "
      << windows.isViewable(id) << ", iconic " << windows.isIconic(id);
  ASSERT_TRUE(icon.has_value());

  QThread::msleep(200);
  QCoreApplication::processEvents();
  const std::optional<QPoint> middle = view_.middleOf(*icon);
  ASSERT_TRUE(middle.has_value());
  view_.pointTo(*middle);
  view_.button(Button1, true);
  view_.button(Button1, false);
  EXPECT_TRUE(waitUntil([&] { return windows.isViewable(id) && !windows.isIconic(id); }))
      << "the window is back on the screen";
  EXPECT_FALSE(window_->isMinimized());
  EXPECT_TRUE(dockedIconWindow(view_, window_.get()).has_value()) << "the icon stays";
}

}  // namespace
