#include <gtest/gtest.h>

#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRect>
#include <QScreen>
#include <QTest>
#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/EditorWindowRig.h"

// Last: Xlib's macros would break the Qt headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

using quenlow::frmMain;

// The window is shown by the X desktop's window manager: the application object, made before the
// tests run, has to be on the X display rather than off screen.
const bool kOnTheXDisplay = qputenv("QT_QPA_PLATFORM", "xcb");

int ignoreXError(Display* /*display*/, XErrorEvent* /*error*/) { return 0; }

// A twips rectangle inside its containers, in pixels of the client area: each container's
// position is converted on its own, as the window lays them out.
struct Placement {
  const char* name;
  QWidget* widget;
  std::vector<QPoint> containers;  // the containers' twips positions, outermost first
  QRect twips;
};

QRect expectedRect(const Placement& p) {
  QPoint origin;
  for (const QPoint& container : p.containers) {
    origin += QPoint(frmMain::px(container.x()), frmMain::px(container.y()));
  }
  return {origin.x() + frmMain::px(p.twips.x()), origin.y() + frmMain::px(p.twips.y()),
          frmMain::px(p.twips.width()), frmMain::px(p.twips.height())};
}

// The window as the X server and the window manager hold it.
class XView {
 public:
  static constexpr unsigned long kMotifFunctionsGiven = 1;
  static constexpr unsigned long kMotifAll = 1;
  static constexpr unsigned long kMotifMaximize = 16;

  XView() : display_(XOpenDisplay(nullptr)) { XSetErrorHandler(ignoreXError); }
  ~XView() {
    if (display_ != nullptr) {
      XCloseDisplay(display_);
    }
  }
  XView(const XView&) = delete;
  XView& operator=(const XView&) = delete;

  [[nodiscard]] bool isOpen() const { return display_ != nullptr; }

  // The size bounds the window gives the manager (WM_NORMAL_HINTS).
  [[nodiscard]] bool sizeBounds(Window window, QSize& minimum, QSize& maximum) {
    XSizeHints hints{};
    long supplied = 0;
    if (XGetWMNormalHints(display_, window, &hints, &supplied) == 0) {
      return false;
    }
    if ((hints.flags & PMinSize) == 0 || (hints.flags & PMaxSize) == 0) {
      return false;
    }
    minimum = QSize(hints.min_width, hints.min_height);
    maximum = QSize(hints.max_width, hints.max_height);
    return true;
  }

  // The functions of the window's Motif hints (_MOTIF_WM_HINTS), when it gives them.
  [[nodiscard]] std::optional<unsigned long> motifFunctions(Window window) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const Atom property = XInternAtom(display_, "_MOTIF_WM_HINTS", False);
    if (XGetWindowProperty(display_, window, property, 0, 5, False, AnyPropertyType, &type, &format,
                           &count, &after, &data) != Success ||
        data == nullptr) {
      return std::nullopt;
    }
    std::optional<unsigned long> functions;
    const auto* items = reinterpret_cast<const unsigned long*>(data);
    if (count >= 2 && (items[0] & kMotifFunctionsGiven) != 0) {
      functions = items[1];
    }
    XFree(data);
    return functions;
  }

  // The actions the manager allows on the window (_NET_WM_ALLOWED_ACTIONS), by name.
  [[nodiscard]] std::vector<std::string> allowedActions(Window window) {
    std::vector<std::string> names;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const Atom property = XInternAtom(display_, "_NET_WM_ALLOWED_ACTIONS", False);
    if (XGetWindowProperty(display_, window, property, 0, 1024, False, XA_ATOM, &type, &format,
                           &count, &after, &data) != Success ||
        data == nullptr) {
      return names;
    }
    const auto* atoms = reinterpret_cast<const Atom*>(data);
    for (unsigned long i = 0; i < count; ++i) {
      if (char* name = XGetAtomName(display_, atoms[i]); name != nullptr) {
        names.emplace_back(name);
        XFree(name);
      }
    }
    XFree(data);
    return names;
  }

 private:
  Display* display_;
};

class EditorWindowOnX : public EditorWindowRig, public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(kOnTheXDisplay);
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    ASSERT_TRUE(view_.isOpen()) << "no X display";
    load();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w()));
  }

  XView view_;
};

TEST_F(EditorWindowOnX, ControlsSitWhereTheLayoutPutsThem) {
  frmMain& f = w();
  const QPoint frame1(75, 60);
  const QPoint slideDet(1200, 720);
  const QPoint frame2(60, 1095);
  const std::vector<Placement> table = {
      {"Frame1", f.Frame1, {}, {75, 60, 9165, 5175}},
      {"lblFileName", f.lblFileName, {frame1}, {120, 240, 6495, 495}},
      {"lblSlideHeader", f.lblSlideHeader, {frame1}, {240, 720, 735, 255}},
      {"List1", f.List1, {frame1}, {240, 960, 735, 3960}},
      {"fraSlideDet", f.fraSlideDet, {frame1}, {1200, 720, 3135, 2805}},
      {"lblHdrSlideTitle", f.lblHdrSlideTitle, {frame1, slideDet}, {120, 240, 615, 255}},
      {"txtSlideTitle", f.txtSlideTitle, {frame1, slideDet}, {600, 240, 2295, 375}},
      {"lblHdrMin", f.lblHdrMin, {frame1, slideDet}, {120, 720, 375, 255}},
      {"comMin", f.comMin, {frame1, slideDet}, {570, 720, 735, 315}},
      {"lblHdrSec", f.lblHdrSec, {frame1, slideDet}, {1440, 720, 495, 375}},
      {"comSec", f.comSec, {frame1, slideDet}, {1800, 720, 615, 315}},
      {"Frame2", f.Frame2, {frame1, slideDet}, {60, 1095, 2955, 1635}},
      {"optCountAsc", f.optCountAsc, {frame1, slideDet, frame2}, {120, 240, 2295, 255}},
      {"optCountDesc", f.optCountDesc, {frame1, slideDet, frame2}, {120, 525, 2295, 255}},
      {"chkVibrateDevice", f.chkVibrateDevice, {frame1, slideDet, frame2}, {120, 810, 2415, 255}},
      {"cmdApplyAllSlides",
       f.cmdApplyAllSlides,
       {frame1, slideDet, frame2},
       {150, 1185, 2625, 375}},
      {"cmdAddSlide", f.cmdAddSlide, {frame1}, {1200, 3690, 975, 375}},
      {"cmdRemoveSlide", f.cmdRemoveSlide, {frame1}, {1200, 4230, 975, 375}},
      {"cmdPresent", f.cmdPresent, {frame1}, {3090, 3690, 1155, 375}},
      {"Picture1", f.Picture1, {frame1}, {4440, 840, 4455, 3525}},
      {"txtNotes", f.txtNotes, {frame1}, {5460, 2865, 2445, 825}},
      {"lblDevSim", f.lblDevSim, {frame1}, {4440, 4470, 4455, 285}},
      {"Command1", f.Command1, {frame1}, {5400, 240, 1095, 375}},
      {"cmdLoad", f.cmdLoad, {}, {240, 4800, 1095, 375}},
      {"StatusBar1", f.StatusBar1, {}, {0, 5670 - 375, 9405, 375}},
      {"panel 1 (total time)", f.panelTotalTime, {{0, 5295}}, {0, 0, 2440, 375}},
      {"panel 2 (date)", f.panelDate, {{0, 5295}}, {2440, 0, 1440, 375}},
  };
  for (const Placement& p : table) {
    SCOPED_TRACE(p.name);
    const QRect actual(p.widget->mapTo(f.client, QPoint(0, 0)), p.widget->size());
    EXPECT_EQ(actual, expectedRect(p));
  }
  EXPECT_EQ(QRect(f.panelCaps->mapTo(f.client, QPoint(0, 0)), f.panelCaps->size()),
            QRect(frmMain::px(2440) + frmMain::px(1440), 353, 96, 25));
  // The client area beneath the menu bar is the whole width of the window.
  EXPECT_EQ(f.client->size(), frmMain::kClientSize);
  EXPECT_EQ(f.width(), frmMain::kClientSize.width());
  EXPECT_EQ(f.client->mapTo(&f, QPoint(0, 0)).y(), f.height() - frmMain::kClientSize.height());
}

TEST_F(EditorWindowOnX, WindowIsFixedCentredAndCannotBeMaximised) {
  const auto window = static_cast<Window>(w().winId());
  QSize minimum;
  QSize maximum;
  ASSERT_TRUE(view_.sizeBounds(window, minimum, maximum)) << "no size bounds for the manager";
  EXPECT_EQ(minimum, w().size());
  EXPECT_EQ(maximum, w().size());

  // IceWM says what the user may do with the window: no maximise, but minimise.
  ASSERT_TRUE(waitUntil([&] { return !view_.allowedActions(window).empty(); }))
      << "the manager lists no allowed actions";
  const std::vector<std::string> actions = view_.allowedActions(window);
  for (const char* refused : {"_NET_WM_ACTION_MAXIMIZE_HORZ", "_NET_WM_ACTION_MAXIMIZE_VERT"}) {
    EXPECT_EQ(std::find(actions.begin(), actions.end(), refused), actions.end()) << refused;
  }
  EXPECT_NE(std::find(actions.begin(), actions.end(), "_NET_WM_ACTION_MINIMIZE"), actions.end());

  // The window is centred when it is first shown, before the manager adds its decoration; the
  // decoration may move the whole frame's centre by its own size.
  const QScreen* screen = w().screen();
  ASSERT_NE(screen, nullptr);
  const QPoint offset = w().frameGeometry().center() - screen->availableGeometry().center();
  const int decoration = w().frameGeometry().height() - w().height();
  EXPECT_LE(qAbs(offset.x()), 2) << "centred across the screen";
  EXPECT_LE(qAbs(offset.y()), decoration) << "centred down the screen";

  // The functions the window offers its manager's frame (Motif hints): no maximise box.
  const std::optional<unsigned long> functions = view_.motifFunctions(window);
  ASSERT_TRUE(functions.has_value()) << "no Motif hints";
  EXPECT_EQ(*functions & (XView::kMotifAll | XView::kMotifMaximize), 0u);
}

TEST_F(EditorWindowOnX, ScreenShowsTheHandheldWithTheNotesOnItsScreen) {
  w().cmdAddSlide->click();
  QTest::keyClicks(w().txtNotes, QStringLiteral("Welcome everybody"));
  QTest::qWait(200);
  QScreen* screen = w().screen();
  ASSERT_NE(screen, nullptr);
  const QRect onScreen(w().client->mapToGlobal(QPoint(0, 0)), w().client->size());
  const QImage shot =
      screen->grabWindow(0, onScreen.x(), onScreen.y(), onScreen.width(), onScreen.height())
          .toImage();
  const QString artefacts = QStringLiteral(CORVANE_TEST_ARTIFACTS);
  QDir().mkpath(artefacts);
  // An artefact for a person to look at; a folder that takes no file fails nothing.
  (void)shot.save(artefacts + QStringLiteral("/editor-main-window.png"));
  ASSERT_EQ(shot.size(), frmMain::kClientSize);

  const auto count = [&shot](QRect area, const std::function<bool(QColor)>& test) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
      for (int x = area.left(); x <= area.right(); ++x) {
        n += test(shot.pixelColor(x, y)) ? 1 : 0;
      }
    }
    return n;
  };
  const auto near = [](QColor a, QColor b) {
    return qAbs(a.red() - b.red()) <= 10 && qAbs(a.green() - b.green()) <= 10 &&
           qAbs(a.blue() - b.blue()) <= 10;
  };
  const QRect notes(w().txtNotes->mapTo(w().client, QPoint(0, 0)), w().txtNotes->size());
  const int area = notes.width() * notes.height();
  EXPECT_GT(count(notes, [&](QColor c) { return near(c, QColor(26, 9, 108)); }), area / 2)
      << "the notes box is dark blue";
  EXPECT_GT(count(notes, [](QColor c) { return c.lightness() > 200; }), 20)
      << "the notes are written in white";
  // Around the box, the handheld's screen has the box's blue and its case is dark.
  const QRect around = notes.adjusted(-4, -4, 4, 4);
  EXPECT_TRUE(near(shot.pixelColor(around.topLeft()), QColor(26, 9, 108)));
  const QRect picture(w().Picture1->mapTo(w().client, QPoint(0, 0)), w().Picture1->size());
  EXPECT_LT(shot.pixelColor(picture.center().x(), picture.top() + 12).lightness(), 100)
      << "the handheld's case";
  const QRect header(w().lblSlideHeader->mapTo(w().client, QPoint(0, 0)),
                     w().lblSlideHeader->size());
  EXPECT_TRUE(near(shot.pixelColor(header.left() + 2, header.top() + 2), QColor(0, 0, 128)))
      << "the list's heading is navy";
  const QRect title(w().txtSlideTitle->mapTo(w().client, QPoint(0, 0)), w().txtSlideTitle->size());
  EXPECT_GT(count(title, [&](QColor c) { return near(c, QColor(255, 255, 192)); }),
            title.width() * title.height() / 3)
      << "the title box is pale yellow beside its selected text";
}

}  // namespace
