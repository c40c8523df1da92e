#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QString>
#include <QTest>
#include <QToolButton>
#include <functional>
#include <vector>

#include "agent/TabButton.h"
#include "agent/WindowArtwork.h"
#include "tests/support/MainWindowRig.h"
#include "tests/support/TestPrinting.h"

namespace {

using Lamp = frmMain::Lamp;
using Step = FakeSerialDevices::Step;
using Tool = WindowArtwork::Tool;

const QString kSelectPort = QStringLiteral("Please select a COM Port and click the 'Play' button.");
const QString kAccepting = QStringLiteral("Accepting BlueTooth Requests...");
const QString kClosed = QStringLiteral("The communication port is closed.");
const QString kNoPorts = QStringLiteral("No COM Ports found. Click 'Scan' to search again.");

class MainWindowTest : public MainWindowRig, public testing::Test {
 protected:
  frmMain& window() { return *window_; }

  // The page shown: 1 Connection, 2 Launcher, 3 Statistics; 0 when not exactly one is.
  int shownPage() {
    const QWidget* pages[] = {window().picTab1, window().picTab2, window().picTab3};
    int shown = 0;
    for (int i = 0; i < 3; ++i) {
      if (!pages[i]->isHidden()) {
        if (shown != 0) {
          return 0;
        }
        shown = i + 1;
      }
    }
    return shown;
  }

  // A mouse click on the middle of the n-th tab, where a user clicks.
  void clickTab(int n) {
    const QPoint middle(frmMain::px(1050) * (n - 1) + frmMain::px(1050) / 2, frmMain::px(525) / 2);
    QWidget* part = window().tabMenu->childAt(middle);
    ASSERT_NE(part, nullptr) << "tab " << n;
    QTest::mouseClick(part, Qt::LeftButton, {}, part->mapFrom(window().tabMenu, middle));
  }

  [[nodiscard]] bool tabSelected(int n) const {
    const TabButton* tab = window_->tabMenu->tabElement(n + 1);
    return tab != nullptr && tab->Focused;
  }

  [[nodiscard]] static QImage imageOf(const QPixmap& pixmap) {
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
  }
  [[nodiscard]] QImage startStopImage() {
    return imageOf(window().cmdStartStop->icon().pixmap(WindowArtwork::kToolImagePixels));
  }
  [[nodiscard]] QImage toolImage(Tool tool) {
    return imageOf(window().toolImages[static_cast<std::size_t>(tool)]);
  }

  void writeManual() const {
    QFile manual(folder() + QStringLiteral("/qzDocumentation.pdf"));
    ASSERT_TRUE(manual.open(QIODevice::WriteOnly));
    manual.write("%PDF-1.4\n");
  }
};

TEST_F(MainWindowTest, LoadShowsTheConnectionPageUnderTheFirstTab) {
  load();
  EXPECT_EQ(window().windowTitle(), QStringLiteral("CorvaneControl - Desktop"));
  EXPECT_TRUE(window().isVisible());
  EXPECT_FALSE(window().isMinimized());
  EXPECT_EQ(shownPage(), 1);
  EXPECT_TRUE(tabSelected(1));
  EXPECT_FALSE(tabSelected(2));
  EXPECT_EQ(window().size(), frmMain::kClientSize);
  EXPECT_EQ(window().minimumSize(), window().maximumSize()) << "the window has a fixed size";
  EXPECT_FALSE(window().windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_EQ(product_.ProductVersion, QStringLiteral("1.0.7"));
  const QRect screen = window().screen()->availableGeometry();
  EXPECT_LE((window().frameGeometry().center() - screen.center()).manhattanLength(), 2)
      << "centred when first shown";
  EXPECT_EQ(window().windowIcon().availableSizes(),
            (QList<QSize>{QSize(16, 16), QSize(32, 32), QSize(48, 48)}));
  EXPECT_EQ(window().tmrCOM.interval(), 10);
  EXPECT_EQ(window().tmrLED.interval(), 300);
  EXPECT_EQ(window().Timer1.interval(), 1000);
  EXPECT_EQ(window().tmrWMP.interval(), 2000);
  for (const QTimer* timer :
       {&window().tmrCOM, &window().tmrLED, &window().Timer1, &window().tmrWMP}) {
    EXPECT_TRUE(timer->isActive());
  }
}

TEST_F(MainWindowTest, EachTabShowsItsPageAlone) {
  load();
  for (const int tab : {2, 3, 1, 3, 2}) {
    SCOPED_TRACE(tab);
    clickTab(tab);
    EXPECT_EQ(shownPage(), tab);
    EXPECT_TRUE(tabSelected(tab));
  }
}

TEST_F(MainWindowTest, ItemTextThatIsNoTabCaptionChangesNoPage) {
  load();
  clickTab(3);
  for (const QString& text : {QStringLiteral("launcher"), QStringLiteral("CONNECTION"), QString(),
                              QStringLiteral("Launcher "), QStringLiteral("1")}) {
    SCOPED_TRACE(text.toStdString());
    window().tabMenu->ItemText = text;
    emit window().tabMenu->ItemClick();
    EXPECT_EQ(shownPage(), 3);
  }
}

TEST_F(MainWindowTest, TheLinkShowsTheConnectionPageWithoutMovingTheTab) {
  load();
  clickTab(2);
  window().showConnectionPage();
  EXPECT_EQ(shownPage(), 1);
  EXPECT_TRUE(tabSelected(2));
  EXPECT_FALSE(tabSelected(1));
}

TEST_F(MainWindowTest, PortListTakesNoTypedCharacterButArrowsChoose) {
  addPort(3);
  addPort(4);
  addPort(12, false);
  load();
  QComboBox& ports = *window().comPorts;
  ASSERT_EQ(ports.count(), 3);
  ASSERT_EQ(ports.currentText(), QStringLiteral("4")) << "the last Bluetooth port";

  ports.setFocus();
  QTest::keyClicks(&ports, QStringLiteral("3"));
  EXPECT_EQ(ports.currentText(), QStringLiteral("4"));
  QTest::keyClicks(&ports, QStringLiteral("12 "));
  EXPECT_EQ(ports.currentText(), QStringLiteral("4"));

  QTest::keyClick(&ports, Qt::Key_Up);
  EXPECT_EQ(ports.currentText(), QStringLiteral("3"));
  QTest::keyClick(&ports, Qt::Key_Down);
  QTest::keyClick(&ports, Qt::Key_Down);
  EXPECT_EQ(ports.currentText(), QStringLiteral("12"));
  EXPECT_EQ(window().portText(), QStringLiteral("12"));

  // The drop-down list searches typed text as well.
  ports.showPopup();
  ASSERT_TRUE(waitUntil([&ports] { return ports.view()->isVisible(); }));
  const QModelIndex before = ports.view()->currentIndex();
  QTest::keyClicks(ports.view(), QStringLiteral("3"));
  EXPECT_EQ(ports.view()->currentIndex(), before);
  ports.hidePopup();
  EXPECT_EQ(ports.currentText(), QStringLiteral("12"));
}

TEST_F(MainWindowTest, F1OpensTheManualFromAnyControl) {
  struct Case {
    const char* name;
    bool manualThere;
    std::function<QWidget*(frmMain&)> target;
    int key;
    Qt::KeyboardModifiers shift;
    bool opens;
  };
  QWidget elsewhere;
  const std::vector<Case> cases = {
      {"the window", true, [](frmMain& w) -> QWidget* { return &w; }, Qt::Key_F1, {}, true},
      {"the port list",
       true,
       [](frmMain& w) -> QWidget* { return w.comPorts; },
       Qt::Key_F1,
       {},
       true},
      {"the port list, Shift", true, [](frmMain& w) -> QWidget* { return w.comPorts; }, Qt::Key_F1,
       Qt::ShiftModifier, true},
      {"Scan, Ctrl+Alt", true, [](frmMain& w) -> QWidget* { return w.cmdScan; }, Qt::Key_F1,
       Qt::ControlModifier | Qt::AltModifier, true},
      {"a launcher button",
       true,
       [](frmMain& w) -> QWidget* { return w.cmdQL[0]; },
       Qt::Key_F1,
       {},
       true},
      // The drop-down is a window of its own: only the window's preview of keys sees F1 there.
      {"the port list's drop-down",
       true,
       [](frmMain& w) -> QWidget* {
         w.comPorts->showPopup();
         return w.comPorts->view();
       },
       Qt::Key_F1,
       {},
       true},
      {"manual missing",
       false,
       [](frmMain& w) -> QWidget* { return w.comPorts; },
       Qt::Key_F1,
       {},
       false},
      {"another key",
       true,
       [](frmMain& w) -> QWidget* { return w.comPorts; },
       Qt::Key_F2,
       {},
       false},
      {"another window",
       true,
       [&elsewhere](frmMain&) -> QWidget* { return &elsewhere; },
       Qt::Key_F1,
       {},
       false},
  };
  addPort(3);
  load();
  const QString manual = folder() + QStringLiteral("/qzDocumentation.pdf");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QFile::remove(manual);
    if (c.manualThere) {
      writeManual();
    }
    shell_.opened.clear();
    QWidget* target = c.target(window());
    target->setFocus();
    QTest::keyClick(target, static_cast<Qt::Key>(c.key), c.shift);
    EXPECT_EQ(shell_.opened, c.opens ? QStringList{manual} : QStringList{});
    window().comPorts->hidePopup();
  }
}

TEST_F(MainWindowTest, StartStopTogglesTheLinkOverTheChosenPort) {
  const auto port = addPort(3);
  load();
  LibSerial& serial = agent_->serial;
  ASSERT_FALSE(serial.PortOpen) << "no saved port: no start at load";
  EXPECT_EQ(window().lblStatus->text(), kSelectPort);
  EXPECT_EQ(startStopImage(), toolImage(Tool::Play));

  QTest::mouseClick(window().cmdStartStop, Qt::LeftButton);
  EXPECT_TRUE(serial.PortOpen);
  EXPECT_TRUE(port->open);
  EXPECT_EQ(window().lblStatus->text(), kAccepting);
  EXPECT_FALSE(window().cmdScan->isEnabled());
  EXPECT_EQ(startStopImage(), toolImage(Tool::Stop));
  EXPECT_TRUE(configBytes().contains("[Communications]\r\nPort=3\r\n")) << configBytes().data();

  QTest::mouseClick(window().cmdStartStop, Qt::LeftButton);
  EXPECT_FALSE(serial.PortOpen);
  EXPECT_FALSE(port->open);
  EXPECT_EQ(window().lblStatus->text(), kClosed);
  EXPECT_TRUE(window().cmdScan->isEnabled());
  EXPECT_EQ(startStopImage(), toolImage(Tool::Play));
  EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(MainWindowTest, StartOnABusyPortSaysSoAndStaysStopped) {
  const auto port = addPort(3);
  port->failing.insert(Step::Open);
  load();
  QTest::mouseClick(window().cmdStartStop, Qt::LeftButton);
  EXPECT_FALSE(agent_->serial.PortOpen);
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].title, QStringLiteral("COM3 Currently in Use"));
  EXPECT_EQ(boxes_.shown[0].icon, MessageBoxIcon::Critical);
  EXPECT_EQ(window().lblStatus->text(), kClosed);
  EXPECT_EQ(startStopImage(), toolImage(Tool::Play));
  EXPECT_FALSE(configBytes().contains("Port=")) << "a failed start saves no port";
}

TEST_F(MainWindowTest, ScanFindsPortsAgainAndKeepsTheChosenOne) {
  load();
  EXPECT_EQ(window().comPorts->count(), 0);
  EXPECT_EQ(window().lblStatus->text(), kNoPorts);

  addPort(3);
  addPort(5, false);
  QTest::mouseClick(window().cmdScan, Qt::LeftButton);
  EXPECT_EQ(window().comPorts->count(), 2);
  EXPECT_EQ(window().portText(), QStringLiteral("3"));
  EXPECT_EQ(window().lblStatus->text(), kSelectPort);

  window().comPorts->setCurrentIndex(1);
  addPort(7);
  QTest::mouseClick(window().cmdScan, Qt::LeftButton);
  EXPECT_EQ(window().comPorts->count(), 3);
  EXPECT_EQ(window().portText(), QStringLiteral("5")) << "the user's choice stays";

  // The chosen port went away: the scan's own choice, the last Bluetooth port.
  portMap_.map->erase(portMap_.map->begin() + 1);
  QTest::mouseClick(window().cmdScan, Qt::LeftButton);
  EXPECT_EQ(window().portText(), QStringLiteral("7"));
  EXPECT_FALSE(agent_->serial.AutoStartPort) << "a scan starts nothing";

  // While the link runs the list stays as it is.
  QTest::mouseClick(window().cmdStartStop, Qt::LeftButton);
  ASSERT_TRUE(agent_->serial.PortOpen);
  addPort(8);
  window().cmdScan_Click();
  EXPECT_EQ(window().comPorts->count(), 2);
  EXPECT_EQ(window().lblStatus->text(), kAccepting);
}

TEST_F(MainWindowTest, LoadStartsTheSavedPortOnlyWhenItIsThere) {
  struct Case {
    const char* name;
    QByteArray savedPort;
    bool busy;
    bool started;
    bool minimised;
    QString status;
    std::size_t boxes;
  };
  const Case cases[] = {
      {"no saved port", "", false, false, false, kSelectPort, 0},
      {"saved port free", "3", false, true, true, kAccepting, 0},
      {"saved port busy", "3", true, false, false, kClosed, 1},
      {"saved port gone", "5", false, false, false,
       QStringLiteral("Saved COM Port 5 was not found."), 0},
      {"saved port garbage", "\x01junk-and-more-junk", false, false, false,
       QStringLiteral("Saved COM Port \x01junk-an\u2026 was not found."), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    agent_.reset();
    window_.reset();
    boxes_.shown.clear();
    devices_.devices.clear();
    portMap_.map.reset();
    const auto port = addPort(3);
    if (c.busy) {
      port->failing.insert(Step::Open);
    }
    writeConfig(c.savedPort.isEmpty() ? QByteArray()
                                      : "[Communications]\r\nPort=" + c.savedPort + "\r\n");
    load();
    EXPECT_EQ(agent_->serial.PortOpen, c.started);
    EXPECT_EQ(window().isMinimized(), c.minimised);
    EXPECT_TRUE(window().isVisible() || c.minimised);
    EXPECT_EQ(window().lblStatus->text(), c.status);
    EXPECT_EQ(boxes_.shown.size(), c.boxes);
    EXPECT_EQ(shownPage(), 1);
  }
}

TEST_F(MainWindowTest, BadSurroundingsStillBringTheWindowUpAndSayWhatIsWrong) {
  struct Case {
    const char* name;
    std::function<void()> arrange;
    QString statusStart;
  };
  const Case cases[] = {
      {"port map unreadable", [] {}, kNoPorts},
      {"port map empty", [this] { portMap_.map.emplace(); }, kNoPorts},
      {"config.ini of binary junk",
       [this] {
         addPort(3);
         writeConfig(QByteArray("\x00\xff[\x01=\x02\r\n\x7f", 9) + QByteArray(5000, '\xee'));
       },
       kSelectPort},
      {"config.ini with junk values",
       [this] {
         addPort(3);
         writeConfig(
             "[Configuration]\r\nRootDir=\x01\x02|<>\r\n[Buttons]\r\nApp_A====\r\n"
             "[Communications]\r\nPort=99999999999999999999\r\n");
       },
       QStringLiteral("Saved COM Port 99999999\u2026 was not found.")},
      {"document root missing",
       [this] {
         addPort(3);
         writeConfig("[Configuration]\r\nRootDir=/nonexistent/documents/\r\n");
       },
       QStringLiteral("Document folder not found: /nonexistent/documents/")},
      {"Shared folder missing",
       [this] {
         addPort(3);
         QDir(folder() + QStringLiteral("/Shared")).removeRecursively();
       },
       QStringLiteral("Document folder not found: ")},
      {"notes folder missing",
       [this] {
         addPort(3);
         QDir(folder() + QStringLiteral("/Shared/Presentations")).removeRecursively();
       },
       QStringLiteral("Notes folder not found: ")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    agent_.reset();
    window_.reset();
    devices_.devices.clear();
    portMap_.map.reset();
    QFile::remove(configPath());
    QDir(folder()).mkpath(QStringLiteral("Shared/Presentations/Notes"));
    c.arrange();
    load();
    EXPECT_TRUE(window().isVisible());
    EXPECT_EQ(shownPage(), 1);
    EXPECT_TRUE(window().lblStatus->text().startsWith(c.statusStart))
        << window().lblStatus->text().toStdString();
    EXPECT_LE(
        QFontMetrics(window().lblStatus->font()).horizontalAdvance(window().lblStatus->text()),
        window().lblStatus->width())
        << "the whole message fits the status line";
    // The start button takes the user on from there.
    QTest::mouseClick(window().cmdStartStop, Qt::LeftButton);
    EXPECT_TRUE(window().isVisible());
  }
}

TEST_F(MainWindowTest, PictureButtonsShowThePressedLookWhileHeldThenAct) {
  load();
  QSignalSpy about(&window(), &frmMain::aboutFormRequested);
  struct Case {
    const char* name;
    QLabel* button;
    const QPixmap* pressed;
    const QPixmap* normal;
  };
  const Case cases[] = {
      {"web site", window().cmdClickWebsite, &window().imgWSUp, &window().imgWSDown},
      {"About", window().cmdClickAbout, &window().imgAboutUp, &window().imgAboutDown},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(imageOf(c.button->pixmap()), imageOf(*c.normal));
    EXPECT_NE(imageOf(*c.pressed), imageOf(*c.normal));
    QTest::mousePress(c.button, Qt::LeftButton);
    EXPECT_EQ(imageOf(c.button->pixmap()), imageOf(*c.pressed));
    EXPECT_TRUE(shell_.opened.isEmpty());
    EXPECT_EQ(about.count(), 0);
    // Released away from the button: the look comes back, nothing happens.
    QTest::mouseRelease(c.button, Qt::LeftButton, {}, QPoint(-5, -5));
    EXPECT_EQ(imageOf(c.button->pixmap()), imageOf(*c.normal));
    EXPECT_TRUE(shell_.opened.isEmpty());
    EXPECT_EQ(about.count(), 0);
  }

  QTest::mouseClick(window().cmdClickWebsite, Qt::LeftButton);
  EXPECT_EQ(shell_.opened, QStringList{QStringLiteral("https://corvane.example/")});
  EXPECT_EQ(about.count(), 0);
  QTest::mouseClick(window().cmdClickAbout, Qt::LeftButton);
  EXPECT_EQ(about.count(), 1);
  EXPECT_EQ(shell_.opened.size(), 1);
}

TEST_F(MainWindowTest, RunAtStartupBoxIsLeftToItsToggle) {
  load();
  QSignalSpy released(&window(), &frmMain::runStartupReleased);
  QCheckBox& box = *window().chkRunStartup;
  EXPECT_FALSE(box.isChecked());
  QTest::mouseClick(&box, Qt::LeftButton);
  EXPECT_EQ(released.count(), 1);
  EXPECT_FALSE(box.isChecked()) << "the toolkit toggles nothing by itself";
  box.setFocus();
  QTest::keyClick(&box, Qt::Key_Space);
  EXPECT_EQ(released.count(), 1) << "a key runs no toggle";
  EXPECT_FALSE(box.isChecked());
  window().SetRunStartupChecked(true);
  QTest::mouseClick(&box, Qt::LeftButton);
  EXPECT_TRUE(box.isChecked());
}

TEST_F(MainWindowTest, ForegroundReportsRunOnlyWhileASessionIsActive) {
  const auto port = addPort(3);
  windows_.add(7, QStringLiteral("talk.odp - LibreOffice Impress"));
  windows_.foreground = 7;
  load();
  QTest::mouseClick(window().cmdStartStop, Qt::LeftButton);
  ASSERT_TRUE(agent_->serial.PortOpen);

  window().Timer1_Timer();
  EXPECT_EQ(windows_.titleReads, 0);
  EXPECT_TRUE(port->written.isEmpty());

  // The first frame from the handheld opens the session; the timer reports from then on.
  port->incoming = "<<NOTHING|X|Y>>";
  ASSERT_TRUE(waitUntil([this] { return agent_->serial.SessionActive; }));
  port->written.clear();
  ASSERT_TRUE(waitUntil([&port] { return port->written.contains("<<CHANGEUI|POWERPOINT["); }))
      << port->written.data();

  QTest::mouseClick(window().cmdStartStop, Qt::LeftButton);
  const int reads = windows_.titleReads;
  window().Timer1_Timer();
  EXPECT_EQ(windows_.titleReads, reads) << "a stop ends the session";
}

TEST_F(MainWindowTest, AFrameLightsTheLampIsCountedAndLogged) {
  const auto port = addPort(3);
  load(true);
  QSignalSpy lamp(&window(), &frmMain::lampChanged);
  window().showActiveTrayIcon();
  EXPECT_EQ(window().lamp(), Lamp::Active);
  window().tmrLED_Timer();
  EXPECT_EQ(window().lamp(), Lamp::Idle);
  ASSERT_EQ(lamp.count(), 2);

  QTest::mouseClick(window().cmdStartStop, Qt::LeftButton);
  lamp.clear();
  port->incoming = "<<NOTHING|X|Y>>";
  // Lit by the frame, dark again at the lamp timer's next tick.
  ASSERT_TRUE(waitUntil([&lamp] { return lamp.count() >= 2; }));
  EXPECT_EQ(lamp.at(0).at(0).value<Lamp>(), Lamp::Active);
  EXPECT_EQ(lamp.at(1).at(0).value<Lamp>(), Lamp::Idle);
  EXPECT_EQ(window().lblValIncomingPkts->text(), QStringLiteral("1"));
  EXPECT_EQ(window().lblValIncomingBytes->text(), QStringLiteral("15"));
  EXPECT_EQ(window().txtDebugWindow->toPlainText(), QStringLiteral("\nRCV: \n<<NOTHING|X|Y>>\n\n"));
}

TEST_F(MainWindowTest, HandheldSynchronisationBringsTheWindowBackOnTheConnectionPage) {
  const auto port = addPort(3);
  load();
  QTest::mouseClick(window().cmdStartStop, Qt::LeftButton);
  ASSERT_TRUE(agent_->serial.PortOpen);
  clickTab(2);
  window().showMinimized();

  port->incoming = QByteArray("\xBE\xEF\xED\x03\x03\x02", 6);
  ASSERT_TRUE(waitUntil([this] { return !agent_->serial.PortOpen; }));
  EXPECT_FALSE(window().isMinimized());
  EXPECT_TRUE(window().isVisible());
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].title, QStringLiteral("CorvaneControl Stopped"));
  EXPECT_EQ(shownPage(), 1);
  EXPECT_TRUE(tabSelected(2)) << "the tab strip is left as it was";
  EXPECT_EQ(window().lblStatus->text(), kClosed);
  EXPECT_TRUE(window().cmdScan->isEnabled());
  EXPECT_EQ(startStopImage(), toolImage(Tool::Play));
}

TEST_F(MainWindowTest, DebugControlsOnlyInDebugModeAndClearEmptiesTheLog) {
  for (const bool debug : {false, true}) {
    SCOPED_TRACE(debug);
    agent_.reset();
    window_.reset();
    load(debug);
    EXPECT_EQ(window().cmdDebugClear->isVisibleTo(window().picTab3), debug);
    EXPECT_EQ(window().txtDebugWindow->isVisibleTo(window().picTab3), debug);
    EXPECT_TRUE(window().txtDebugWindow->toPlainText().isEmpty());
  }

  DebugLog& log = agent_->debugLog;
  QPlainTextEdit& box = *window().txtDebugWindow;
  log.Append(QStringLiteral("\r\nRCV: \r\n<<A|1|2>>\r\n\r\n"));
  log.Append(QStringLiteral("SND: <<B||>>\r"));
  log.Append(QStringLiteral("\nnext\r\n"));
  EXPECT_EQ(box.toPlainText(), QStringLiteral("\nRCV: \n<<A|1|2>>\n\nSND: <<B||>>\nnext\n"));

  clickTab(3);
  QTest::mouseClick(window().cmdDebugClear, Qt::LeftButton);
  EXPECT_TRUE(box.toPlainText().isEmpty());
  EXPECT_TRUE(log.text().isEmpty());

  // Past its bound the log drops its oldest text; the box keeps showing the same text.
  const QString frame = QStringLiteral("<<FRAME|%1|x>>\r\n").arg(QString(100, u'y'));
  while (log.text().size() + frame.size() <= DebugLog::kMaxChars) {
    log.Append(frame);
  }
  log.Append(frame);
  log.Append(QStringLiteral("last\r\n"));
  QString shown = log.text();
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  EXPECT_EQ(box.toPlainText(), shown);
}

// The window as a user sees it: each page grabbed into the build tree's artefacts, and the
// elements where the layout puts them.
TEST_F(MainWindowTest, LayoutOfEachPage) {
  addPort(3);
  addPort(4, false);
  writeConfig(
      "[Buttons]\r\nApp_A=/usr/bin/libreoffice\r\n"
      "App_B=/home/presenter/.local/share/applications/a-program-with-a-long-name.desktop\r\n");
  load(true);
  window().SetDefaultBrowserCaption(QStringLiteral("FIREFOX"));
  agent_->debugLog.Append(QStringLiteral("\r\nRCV: \r\n<<PRESENT|RIGHT|>>\r\n\r\n"));
  frmMain& w = window();

  struct Element {
    const char* name;
    QWidget* widget;
    QWidget* parent;
    QRect twips;  // an empty height: the toolkit's own
  };
  const Element elements[] = {
      {"TabMenu", w.tabMenu, &w, {0, 0, 5775, 525}},
      {"cmdClickWebsite", w.cmdClickWebsite, &w, {3720, 30, 975, 540}},
      {"cmdClickAbout", w.cmdClickAbout, &w, {4800, 30, 975, 540}},
      {"lblStatus", w.lblStatus, &w, {585, 600, 4815, 225}},
      {"picTab1", w.picTab1, &w, {225, 870, 5535, 2955}},
      {"picTab2", w.picTab2, &w, {225, 870, 5535, 2955}},
      {"picTab3", w.picTab3, &w, {225, 870, 5535, 2955}},
      {"Picture3", w.Picture3, w.picTab1, {360, 570, 435, 495}},
      {"Frame2", w.Frame2, w.picTab1, {960, 270, 4290, 1155}},
      {"Label1", w.Label1, w.Frame2, {420, 240, 3555, 285}},
      {"Label2", w.Label2, w.Frame2, {435, 525, 3555, 285}},
      {"Label3", w.Label3, w.Frame2, {420, 810, 3555, 285}},
      {"lblBTPort", w.lblBTPort, w.picTab1, {420, 2010, 1575, 255}},
      {"comPorts", w.comPorts, w.picTab1, {2130, 1950, 615, 0}},
      {"cmdScan", w.cmdScan, w.picTab1, {2970, 1740, 1155, 675}},
      {"cmdStartStop", w.cmdStartStop, w.picTab1, {4245, 1740, 975, 675}},
      {"chkRunStartup", w.chkRunStartup, w.picTab1, {420, 2520, 4575, 255}},
      {"Picture2", w.Picture2, w.picTab2, {240, 240, 615, 495}},
      {"Frame1", w.Frame1, w.picTab2, {1320, 0, 3930, 885}},
      {"Label4", w.Label4, w.Frame1, {120, 180, 3555, 645}},
      {"cmdQL_A", w.cmdQL[0], w.picTab2, {240, 1020, 495, 375}},
      {"cmdQL_B", w.cmdQL[1], w.picTab2, {240, 1500, 495, 375}},
      {"cmdQL_C", w.cmdQL[2], w.picTab2, {240, 1980, 495, 375}},
      {"lblApp1", w.lblApp[0], w.picTab2, {840, 1020, 4485, 375}},
      {"lblApp2", w.lblApp[1], w.picTab2, {840, 1500, 4485, 375}},
      {"lblApp3", w.lblApp[2], w.picTab2, {840, 1980, 4485, 375}},
      {"lblHdrIncomingPkts", w.lblHdrIncomingPkts, w.picTab3, {360, 165, 1695, 255}},
      {"lblValIncomingPkts", w.lblValIncomingPkts, w.picTab3, {2280, 165, 1095, 255}},
      {"lblHdrIncomingBytes", w.lblHdrIncomingBytes, w.picTab3, {360, 480, 1695, 255}},
      {"lblValIncomingBytes", w.lblValIncomingBytes, w.picTab3, {2280, 480, 1095, 255}},
      {"lblHdrDefBrowser", w.lblHdrDefBrowser, w.picTab3, {360, 840, 1695, 255}},
      {"lblValDefBrowser", w.lblValDefBrowser, w.picTab3, {2280, 840, 2655, 255}},
      {"cmdDebugClear", w.cmdDebugClear, w.picTab3, {4035, 165, 945, 285}},
      {"txtDebugWindow", w.txtDebugWindow, w.picTab3, {120, 1515, 5205, 1365}},
  };
  for (const Element& e : elements) {
    SCOPED_TRACE(e.name);
    EXPECT_EQ(e.widget->parentWidget(), e.parent);
    const QRect is = e.widget->geometry();
    const QRect want(frmMain::px(e.twips.x()), frmMain::px(e.twips.y()),
                     frmMain::px(e.twips.width()), frmMain::px(e.twips.height()));
    EXPECT_NEAR(is.x(), want.x(), 1);
    EXPECT_NEAR(is.y(), want.y(), 1);
    EXPECT_NEAR(is.width(), want.width(), 1);
    if (want.height() > 0) {
      EXPECT_NEAR(is.height(), want.height(), 1);
    }
  }

  const auto near = [](QColor a, QColor b) {
    return qAbs(a.red() - b.red()) <= 8 && qAbs(a.green() - b.green()) <= 8 &&
           qAbs(a.blue() - b.blue()) <= 8;
  };
  const auto yellowish = [](QColor c) {
    return c.red() > 200 && c.green() > 200 && c.blue() < 160;
  };
  // Pixels of a rectangle of the shot that satisfy `test`.
  const auto count = [](const QImage& shot, QRect area, const std::function<bool(QColor)>& test) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
      for (int x = area.left(); x <= area.right(); ++x) {
        n += test(shot.pixelColor(x, y)) ? 1 : 0;
      }
    }
    return n;
  };
  const QColor navy(38, 40, 113);
  const QString artefacts = QStringLiteral(CORVANE_TEST_ARTIFACTS);
  QDir().mkpath(artefacts);
  const char* names[] = {"connection", "launcher", "statistics"};
  for (int tab = 1; tab <= 3; ++tab) {
    SCOPED_TRACE(names[tab - 1]);
    clickTab(tab);
    const QImage shot = w.grab().toImage();
    // An artefact for a person to look at; a folder that takes no file fails nothing.
    (void)shot.save(artefacts + QStringLiteral("/main-window-%1.png").arg(names[tab - 1]));
    ASSERT_EQ(shot.size(), frmMain::kClientSize);

    EXPECT_TRUE(near(shot.pixelColor(5, 280), navy)) << "the window's background";
    EXPECT_TRUE(near(shot.pixelColor(18, 252), navy)) << "the page's background";
    for (int other = 1; other <= 3; ++other) {
      const QRect tabArea(frmMain::px(1050) * (other - 1), 0, frmMain::px(1050), frmMain::px(525));
      const int yellow = count(shot, tabArea, yellowish);
      if (other == tab) {
        EXPECT_GT(yellow, 10) << "the selected tab's caption is yellow";
      } else {
        EXPECT_EQ(yellow, 0) << "tab " << other << " is not selected";
      }
    }
    const QRect status = w.lblStatus->geometry();
    EXPECT_GT(count(shot, status, [](QColor c) { return c.lightness() > 220; }), 20)
        << "the status line is written in white";
  }
}

}  // namespace
