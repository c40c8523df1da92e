#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstddef>
#include <optional>

#include "agent/AgentView.h"
#include "agent/LibSettings.h"
#include "agent/MainWindowModules.h"
#include "agent/MainWindowServices.h"
#include "agent/TabMenu.h"
#include "shared/widgets/Twips.h"

class QAbstractItemView;
class QCheckBox;
class QComboBox;
class QFrame;
class QKeyEvent;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QToolButton;
class LibTray;

// The agent's main window: the tab strip with the Connection, Launcher and Statistics pages, the
// status line, the two picture buttons, and the timers that run the link, the lamp and the
// foreground and media reports. It is built before the agent's modules, which show their state
// on it (AgentView); Attach hands them over, and Form_Load brings the window up.
class frmMain final : public QWidget, public AgentView {
  Q_OBJECT

 public:
  // Positions and sizes of the layout are in twips, 15 to a pixel.
  static constexpr int kTwipsPerPixel = twips::kTwipsPerPixel;
  [[nodiscard]] static constexpr int px(int length) { return twips::px(length); }
  // The outer size (5845 x 4720 twips) less the single fixed border and the caption bar.
  static constexpr QSize kClientSize{385, 289};

  static constexpr int kSerialIntervalMs = 10;
  static constexpr int kLampIntervalMs = 300;
  static constexpr int kForegroundIntervalMs = 1000;
  static constexpr int kMediaIntervalMs = 2000;

  // The user manual, in the program folder; F1 opens it.
  static constexpr const char* kManualFileName = "qzDocumentation.pdf";
  // Where the program chooser opens for a launcher button that has no program yet.
  static constexpr const char* kProgramsFolder = "/usr/bin";

  // The activity lamp: lit when a frame comes or goes, dark again at the lamp timer's next tick.
  enum class Lamp { Idle, Active };
  Q_ENUM(Lamp)

  explicit frmMain(const MainWindowServices& services, QWidget* parent = nullptr);
  ~frmMain() override;
  frmMain(const frmMain&) = delete;
  frmMain& operator=(const frmMain&) = delete;

  // Connects the controls to the modules and starts the four timers.
  void Attach(const MainWindowModules& modules);
  // The load: tabs and pages, product identity, debug controls, caption, settings, port list, and
  // the saved port's link; the window is then shown, or goes to the tray when that link runs.
  void Form_Load(bool debugMode, const QString& appVersion);
  // The browser kind on the Statistics page, known after the load.
  void SetDefaultBrowserCaption(const QString& browserType);
  // The start-with-the-desktop box shows what the start-up registration holds.
  void SetRunStartupChecked(bool checked);

  // AgentView
  void setStatus(const QString& text) override;
  void setLinkPicture(LinkPicture picture) override;
  void setScanEnabled(bool enabled) override;
  void setPortItems(const QStringList& items) override;
  [[nodiscard]] QString portText() const override;
  void setPortText(const QString& text) override;
  void showConnectionPage() override;
  void restoreWindow() override;
  void setDebugLog(const QString& text) override;
  void appendDebugLog(const QString& text) override;
  void setPacketCount(const QString& text) override;
  void setByteCount(const QString& text) override;
  void showActiveTrayIcon() override;

  [[nodiscard]] Lamp lamp() const { return lamp_; }

  // The window's handlers; the controls and timers call them.
  void TabMenu_ItemClick();
  void ClearTabHover();
  void cmdStartStop_Click();
  void cmdScan_Click();
  void cmdClickAbout_Click();
  void cmdClickWebsite_Click();
  void cmdDebugClear_Click();
  void chkRunStartup_MouseUp();
  // F1 in any shift state opens the manual; true when the key was F1.
  bool Form_KeyDown(int keyCode, Qt::KeyboardModifiers shift);
  void Timer1_Timer();
  void tmrLED_Timer();
  // The tray that the window minimises to; without one a minimised window stays in the task bar.
  void AttachTray(LibTray& tray);
  // Every size or state change: a minimised window goes to the tray.
  void Form_Resize();
  // The launcher page: the mapped programs on the labels; a row's label or button (slot 1 to 4
  // for A to D) lets the user choose its program, and the choice is saved at once.
  void ShowAppButtons();
  void lblApp_Click(std::size_t slot);
  [[nodiscard]] QString ChooseButtonApp(QLabel* label, const QString& current);

  // Window-level elements.
  TabMenu* tabMenu = nullptr;
  QWidget* ImgBG = nullptr;
  QLabel* cmdClickWebsite = nullptr;
  QLabel* cmdClickAbout = nullptr;
  QLabel* lblStatus = nullptr;
  QWidget* picTab1 = nullptr;
  QWidget* picTab2 = nullptr;
  QWidget* picTab3 = nullptr;

  // Connection page.
  QLabel* Picture3 = nullptr;
  QFrame* Frame2 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* lblBTPort = nullptr;
  QComboBox* comPorts = nullptr;
  QToolButton* cmdScan = nullptr;
  QToolButton* cmdStartStop = nullptr;
  QCheckBox* chkRunStartup = nullptr;

  // Launcher page: rows A to D.
  QLabel* Picture2 = nullptr;
  QFrame* Frame1 = nullptr;
  QLabel* Label4 = nullptr;
  std::array<QPushButton*, LibSettings::kButtonSlotCount> cmdQL{};
  std::array<QLabel*, LibSettings::kButtonSlotCount> lblApp{};

  // Statistics page.
  QLabel* lblHdrIncomingPkts = nullptr;
  QLabel* lblValIncomingPkts = nullptr;
  QLabel* lblHdrIncomingBytes = nullptr;
  QLabel* lblValIncomingBytes = nullptr;
  QLabel* lblHdrDefBrowser = nullptr;
  QLabel* lblValDefBrowser = nullptr;
  QPushButton* cmdDebugClear = nullptr;
  QPlainTextEdit* txtDebugWindow = nullptr;

  // Hidden working elements: the picture buttons' looks (Up is the pressed one), the lamp's
  // pictures, the link's tool images (items 1 to 5), and the media player's host.
  QPixmap imgAboutUp;
  QPixmap imgAboutDown;
  QPixmap imgWSUp;
  QPixmap imgWSDown;
  QIcon led1;
  QIcon led2;
  std::array<QPixmap, 6> toolImages;
  QWidget* wmp = nullptr;

  QTimer tmrCOM;
  QTimer tmrLED;
  QTimer Timer1;
  QTimer tmrWMP;

 signals:
  void lampChanged(frmMain::Lamp lamp);
  // The About box is asked for (the question-mark bubble was clicked).
  void aboutFormRequested();
  // The mouse was released on the start-with-the-desktop box: its toggle runs now.
  void runStartupReleased();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void buildWindowElements();
  void buildConnectionPage();
  void buildLauncherPage();
  void buildStatisticsPage();
  void showPage(const QWidget* page);
  void setLamp(Lamp lamp);
  [[nodiscard]] bool isOwnWidget(const QObject* object) const;
  [[nodiscard]] bool pictureButtonEvent(QLabel* button, QEvent* event, const QPixmap& pressed,
                                        const QPixmap& normal);
  // Says on the status line what keeps the link or the documents from working: no ports, the
  // saved port gone, the document or notes folder missing.
  void reportSetupProblems();
  [[nodiscard]] QString statusWithPath(const QString& lead, const QString& path) const;
  [[nodiscard]] QString manualPath() const;

  QAbstractItemView* portListView_ = nullptr;
  MainWindowServices services_;
  std::optional<MainWindowModules> modules_;
  Lamp lamp_ = Lamp::Idle;
  bool centred_ = false;
  LibTray* tray_ = nullptr;
  // The debug log's last text ended in a carriage return that was shown as a line break: a line
  // feed opening the next text belongs to it.
  bool logEndsInCarriageReturn_ = false;
};
