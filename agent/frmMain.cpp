#include "agent/frmMain.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRect>
#include <QScreen>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTextCursor>
#include <QToolButton>
#include <QWidget>
#include <initializer_list>

#include "agent/LibTray.h"
#include "agent/ProductSite.h"
#include "agent/WindowArtwork.h"
#include "shared/NotesReader.h"
#include "shared/OpenWithShell.h"
#include "shared/widgets/Twips.h"
#include "shared/widgets/WidgetLook.h"

namespace {

// Colours of the window as the user knows them.
const QColor kWindowColour(52, 113, 203);
const QColor kNavy(38, 40, 113);
const QColor kCaptionYellow(255, 255, 128);
const QColor kValueText(0, 0, 128);
const QColor kQuickLaunchButton(128, 128, 255);
const QColor kFrameLine(120, 126, 210);

// The window's font, 8.25 points at 96 dots per inch. Arial's metrics, which the desktop maps to
// its own metric twin, keep the captions inside the boxes laid out for them.
constexpr int kFontPixels = 11;

const QString kCaption = QStringLiteral("CorvaneControl - Desktop");
const QString kCaptionTail = QStringLiteral(" - Desktop");
const QString kTabConnection = QStringLiteral("Connection");
const QString kTabLauncher = QStringLiteral("Launcher");
const QString kTabStatistics = QStringLiteral("Statistics");
// The strip's style for a tab (the other style is a menu button).
constexpr qint16 kTabStyle = 1;

const QString kStatusSelectPort =
    QStringLiteral("Please select a COM Port and click the 'Play' button.");
const QString kStatusNoPorts = QStringLiteral("No COM Ports found. Click 'Scan' to search again.");
const QString kStatusSavedPortGone = QStringLiteral("Saved COM Port %1 was not found.");
const QString kStatusNoDocumentFolder = QStringLiteral("Document folder not found: ");
const QString kStatusNoNotesFolder = QStringLiteral("Notes folder not found: ");
const QString kStatusMappingNotSaved =
    QStringLiteral("The mapping could not be saved in config.ini.");
// A saved port text longer than this is not a port number; the status line shows its start.
constexpr qsizetype kShownSavedPortChars = 8;

const QString kChooserTitle = QStringLiteral("Please select an executable");
const QString kChooserFilter = QStringLiteral("Executable");
const QString kClearMappingText =
    QStringLiteral("Would you like to clear the current button mapping?");
const QString kClearMappingTitle = QStringLiteral("Clear Current Mapping?");

const std::array<QString, LibSettings::kButtonSlotCount> kButtonCaptions = {
    QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")};
// Slot D is loaded, saved and launched, but has no row on the page.
constexpr std::size_t kHiddenSlot = 4;
constexpr std::array<int, LibSettings::kButtonSlotCount> kLauncherRowTops = {1020, 1500, 1980,
                                                                             2460};

QFont windowFont(bool bold) { return widgetlook::FaceFont(kFontPixels, bold); }

// How far a caption's letters may close up to stay whole.
constexpr int kTightestSpacingPercent = 90;
constexpr int kSpacingStepPercent = 2;

// The captions were laid out for the narrow font of the original desktop. Where the desktop's
// font is wider, a caption's letters close up a little rather than lose its end.
QFont fittedFont(QFont font, const QString& text, int width) {
  for (int spacing = 100; spacing >= kTightestSpacingPercent; spacing -= kSpacingStepPercent) {
    font.setLetterSpacing(QFont::PercentageSpacing, spacing);
    if (QFontMetrics(font).horizontalAdvance(text) <= width) {
      break;
    }
  }
  return font;
}

QFont tightestFont(QFont font) {
  font.setLetterSpacing(QFont::PercentageSpacing, kTightestSpacingPercent);
  return font;
}

// A plain caption on a page: light yellow on the page's navy.
QLabel* caption(QWidget* parent, const QString& text, const QRect& where) {
  auto* label = new QLabel(text, parent);
  label->setGeometry(where);
  label->setFont(fittedFont(label->font(), text, where.width()));
  widgetlook::SetTextColour(label, kCaptionYellow);
  return label;
}

// A value: navy on white with a single border.
QLabel* valueLabel(QWidget* parent, const QString& text, const QRect& where,
                   Qt::Alignment alignment) {
  auto* label = new QLabel(text, parent);
  label->setGeometry(where);
  label->setFrameStyle(QFrame::Box | QFrame::Plain);
  label->setLineWidth(1);
  label->setAlignment(alignment);
  widgetlook::PaintSolid(label, Qt::white);
  widgetlook::SetTextColour(label, kValueText);
  return label;
}

QFrame* frame(QWidget* parent, const QRect& where) {
  auto* box = new QFrame(parent);
  box->setGeometry(where);
  box->setFrameStyle(QFrame::Box | QFrame::Plain);
  box->setLineWidth(1);
  widgetlook::SetTextColour(box, kFrameLine);
  return box;
}

QLabel* picture(QWidget* parent, const QPixmap& pixmap, const QRect& where) {
  auto* label = new QLabel(parent);
  label->setGeometry(where);
  label->setPixmap(pixmap);
  label->setAlignment(Qt::AlignCenter);
  return label;
}

// The mouse was released over the widget it was pressed on.
bool releasedInside(const QWidget* widget, const QEvent* event) {
  const auto* mouse = static_cast<const QMouseEvent*>(event);
  return mouse->button() == Qt::LeftButton && widget->rect().contains(mouse->position().toPoint());
}

bool isTypedCharacter(const QKeyEvent* key) {
  const QString text = key->text();
  return !text.isEmpty() && text.front() >= u' ' && text.front() != QChar(0x7F);
}

// The debug log's text with its CRLF line ends as the box shows them: one line break each.
QString asShownInLog(QString text) {
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(u'\r', u'\n');
  return text;
}

}  // namespace

frmMain::frmMain(const MainWindowServices& services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      services_(services) {
  imgAboutUp = WindowArtwork::questionBubble(WindowArtwork::Look::Pressed);
  imgAboutDown = WindowArtwork::questionBubble(WindowArtwork::Look::Normal);
  imgWSUp = WindowArtwork::globe(WindowArtwork::Look::Pressed);
  imgWSDown = WindowArtwork::globe(WindowArtwork::Look::Normal);
  led1 = WindowArtwork::lamp(false);
  led2 = WindowArtwork::lamp(true);
  for (const WindowArtwork::Tool tool :
       {WindowArtwork::Tool::Exit, WindowArtwork::Tool::About, WindowArtwork::Tool::Scan,
        WindowArtwork::Tool::Stop, WindowArtwork::Tool::Play}) {
    toolImages[static_cast<std::size_t>(tool)] = WindowArtwork::toolImage(tool);
  }

  setWindowTitle(kCaption);
  setWindowIcon(WindowArtwork::programIcon());
  setFont(windowFont(false));
  widgetlook::PaintSolid(this, kWindowColour);
  setFixedSize(kClientSize);

  buildWindowElements();
  buildConnectionPage();
  buildLauncherPage();
  buildStatisticsPage();

  // The window sees every key before the control with the focus does, so that F1 works
  // wherever the focus is; the handlers of its own controls' mouse and key events are taken in
  // the same place.
  qApp->installEventFilter(this);
}

frmMain::~frmMain() {
  // The children outlive this part of the window; nothing may reach its handlers any more.
  qApp->removeEventFilter(this);
  for (QTimer* timer : {&tmrCOM, &tmrLED, &Timer1, &tmrWMP}) {
    timer->stop();
  }
}

void frmMain::buildWindowElements() {
  ImgBG = new QWidget(this);
  ImgBG->setGeometry(rect());
  widgetlook::PaintSolid(ImgBG, kNavy);
  ImgBG->setMouseTracking(true);

  tabMenu = new TabMenu(this);
  tabMenu->setGeometry(0, 0, width(), px(525));
  connect(tabMenu, &TabMenu::ItemClick, this, &frmMain::TabMenu_ItemClick);

  cmdClickWebsite = picture(this, imgWSDown, twips::rect(3720, 30, 975, 540));
  cmdClickAbout = picture(this, imgAboutDown, twips::rect(4800, 30, 975, 540));

  lblStatus = new QLabel(this);
  lblStatus->setGeometry(twips::rect(585, 600, 4815, 225));
  lblStatus->setFont(windowFont(true));
  lblStatus->setAlignment(Qt::AlignCenter);
  widgetlook::SetTextColour(lblStatus, Qt::white);
  setStatus(kStatusSelectPort);

  const QRect pageRect = twips::rect(225, 870, 5535, 2955);
  for (QWidget** page : {&picTab1, &picTab2, &picTab3}) {
    *page = new QWidget(this);
    (*page)->setGeometry(pageRect);
    widgetlook::PaintSolid(*page, kNavy);
  }
  picTab2->hide();
  picTab3->hide();

  // The media player's host is never shown; the player draws into it when it has a screen.
  wmp = new QWidget(this);
  wmp->hide();
}

void frmMain::buildConnectionPage() {
  Picture3 = picture(picTab1, WindowArtwork::bluetooth(), twips::rect(360, 570, 435, 495));

  Frame2 = frame(picTab1, twips::rect(960, 270, 4290, 1155));
  Label1 = caption(Frame2, QStringLiteral("Click 'Scan' to search for available COM Ports."),
                   twips::rect(420, 240, 3555, 285));
  Label2 = caption(Frame2, QStringLiteral("Click 'Play' to open port."),
                   twips::rect(435, 525, 3555, 285));
  Label3 = caption(Frame2, QStringLiteral("Click 'Stop' to close port."),
                   twips::rect(420, 810, 3555, 285));

  lblBTPort =
      caption(picTab1, QStringLiteral("BlueTooth COM Port :"), twips::rect(420, 2010, 1575, 255));
  widgetlook::SetTextColour(lblBTPort, Qt::white);

  comPorts = new QComboBox(picTab1);
  comPorts->setGeometry(px(2130), px(1950), px(615), comPorts->sizeHint().height());
  // Made now: the list makes its drop-down on first use, and making it sends events.
  portListView_ = comPorts->view();

  const auto graphicalButton = [this](const QPixmap& pixmap, const QString& tip, QRect where) {
    auto* button = new QToolButton(picTab1);
    button->setGeometry(where);
    button->setIcon(QIcon(pixmap));
    button->setIconSize(pixmap.deviceIndependentSize().toSize());
    button->setToolTip(tip);
    return button;
  };
  cmdScan = graphicalButton(toolImages[static_cast<std::size_t>(WindowArtwork::Tool::Scan)],
                            QStringLiteral("Scan for ports"), twips::rect(2970, 1740, 1155, 675));
  cmdScan->setText(QStringLiteral("&Scan"));
  // Beside the icon: under it, icon and caption would not fit the button's height.
  cmdScan->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  connect(cmdScan, &QToolButton::clicked, this, &frmMain::cmdScan_Click);
  cmdStartStop = graphicalButton(toolImages[static_cast<std::size_t>(WindowArtwork::Tool::Play)],
                                 QStringLiteral("Start or Stop communications"),
                                 twips::rect(4245, 1740, 975, 675));
  connect(cmdStartStop, &QToolButton::clicked, this, &frmMain::cmdStartStop_Click);

  chkRunStartup = new QCheckBox(QStringLiteral("Run Corvane Control on Windows Startup"), picTab1);
  chkRunStartup->setGeometry(twips::rect(420, 2520, 4575, 255));
  widgetlook::SetTextColour(chkRunStartup, kCaptionYellow);
}

void frmMain::buildLauncherPage() {
  Picture2 = picture(picTab2, WindowArtwork::keyboardKey(QSize(px(615), px(495))),
                     twips::rect(240, 240, 615, 495));

  Frame1 = frame(picTab2, twips::rect(1320, 0, 3930, 885));
  Label4 = caption(Frame1,
                   QStringLiteral("Tap buttons below to map an application.  Then use the Desktop "
                                  "function on the PDA to launch the mapped application."),
                   twips::rect(120, 180, 3555, 645));
  Label4->setWordWrap(true);
  Label4->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  for (std::size_t i = 0; i < LibSettings::kButtonSlotCount; ++i) {
    const std::size_t slot = LibSettings::kFirstButtonSlot + i;
    auto* button = new QPushButton(kButtonCaptions[i], picTab2);
    button->setGeometry(twips::rect(240, kLauncherRowTops[i], 495, 375));
    button->setFont(windowFont(true));
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, kQuickLaunchButton);
    button->setPalette(palette);
    connect(button, &QPushButton::clicked, this, [this, slot] { lblApp_Click(slot); });
    cmdQL[i] = button;

    lblApp[i] = valueLabel(picTab2, QString(), twips::rect(840, kLauncherRowTops[i], 4485, 375),
                           Qt::AlignRight | Qt::AlignVCenter);
    // A path longer than the label shows its end, the program's name, clear of the border.
    lblApp[i]->setMargin(2);
  }
  cmdQL[kHiddenSlot - 1]->hide();
  lblApp[kHiddenSlot - 1]->hide();
}

void frmMain::buildStatisticsPage() {
  lblHdrIncomingPkts =
      caption(picTab3, QStringLiteral("Packets Received :"), twips::rect(360, 165, 1695, 255));
  lblValIncomingPkts =
      valueLabel(picTab3, QStringLiteral("0"), twips::rect(2280, 165, 1095, 255), Qt::AlignCenter);
  lblHdrIncomingBytes =
      caption(picTab3, QStringLiteral("Bytes Received :"), twips::rect(360, 480, 1695, 255));
  lblValIncomingBytes =
      valueLabel(picTab3, QStringLiteral("0"), twips::rect(2280, 480, 1095, 255), Qt::AlignCenter);
  lblHdrDefBrowser =
      caption(picTab3, QStringLiteral("Default Browser :"), twips::rect(360, 840, 1695, 255));
  lblValDefBrowser =
      valueLabel(picTab3, QString(), twips::rect(2280, 840, 2655, 255), Qt::AlignCenter);

  cmdDebugClear = new QPushButton(QStringLiteral("&Clear"), picTab3);
  cmdDebugClear->setGeometry(twips::rect(4035, 165, 945, 285));
  cmdDebugClear->hide();
  connect(cmdDebugClear, &QPushButton::clicked, this, &frmMain::cmdDebugClear_Click);

  txtDebugWindow = new QPlainTextEdit(picTab3);
  txtDebugWindow->setGeometry(twips::rect(120, 1515, 5205, 1365));
  txtDebugWindow->setReadOnly(true);
  txtDebugWindow->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  txtDebugWindow->hide();
}

void frmMain::Attach(const MainWindowModules& modules) {
  modules_.emplace(modules);
  connect(&tmrCOM, &QTimer::timeout, this, [this] { modules_->receiveLoop.tmrCOM_Timer(); });
  connect(&tmrLED, &QTimer::timeout, this, &frmMain::tmrLED_Timer);
  connect(&Timer1, &QTimer::timeout, this, &frmMain::Timer1_Timer);
  connect(&tmrWMP, &QTimer::timeout, this, [this] { modules_->media.tmrWMP_Timer(); });
  tmrCOM.start(kSerialIntervalMs);
  tmrLED.start(kLampIntervalMs);
  Timer1.start(kForegroundIntervalMs);
  tmrWMP.start(kMediaIntervalMs);
}

void frmMain::Form_Load(bool debugMode, const QString& appVersion) {
  for (const QString& text : {kTabConnection, kTabLauncher, kTabStatistics}) {
    (void)tabMenu->AddButton(kTabStyle, text);
  }
  picTab1->show();
  picTab2->move(picTab1->pos());
  picTab3->move(picTab1->pos());
  (void)tabMenu->SetTabFocus(1);

  if (modules_) {
    modules_->product.InitProductInfo(appVersion);
  }
  if (debugMode) {
    cmdDebugClear->show();
    if (modules_) {
      modules_->debugLog.DebugMode = true;
      modules_->debugLog.Clear();
    } else {
      setDebugLog(QString());
    }
    txtDebugWindow->show();
  }
  if (modules_) {
    const QString product = LibAppREg::ProductNameFromCode(modules_->product.ProductCode);
    if (!product.isEmpty()) {
      setWindowTitle(product + kCaptionTail);
    }
    modules_->serial.EndSession();
    modules_->serial.PortOpen = false;
    modules_->settings.LoadConfig();
    ShowAppButtons();
  }
  setFixedSize(kClientSize);
  if (!modules_) {
    show();
    return;
  }

  LibSerial& serial = modules_->serial;
  serial.FillPortList();
  reportSetupProblems();
  if (!serial.AutoStartPort) {
    show();
    return;
  }
  serial.StartSerialLink();
  if (serial.AutoStartPort) {
    // The link runs: the agent waits in the background, as a tray icon.
    if (tray_ != nullptr) {
      tray_->MinimizeToTray();
      setWindowState(windowState() | Qt::WindowMinimized);
    } else {
      showMinimized();
    }
  } else {
    show();
  }
}

void frmMain::SetDefaultBrowserCaption(const QString& browserType) {
  lblValDefBrowser->setText(browserType);
}

void frmMain::SetRunStartupChecked(bool checked) { chkRunStartup->setChecked(checked); }

void frmMain::reportSetupProblems() {
  const LibSerial& serial = modules_->serial;
  const LibSettings& settings = modules_->settings;
  if (serial.PortNumbers.isEmpty()) {
    setStatus(kStatusNoPorts);
    return;
  }
  const QString saved = serial.SavedPort();
  if (!saved.isEmpty() && !serial.AutoStartPort) {
    const QString shown =
        saved.size() > kShownSavedPortChars ? saved.left(kShownSavedPortChars) + u'…' : saved;
    setStatus(kStatusSavedPortGone.arg(shown));
    return;
  }
  if (!QFileInfo(settings.RootDirPath).isDir()) {
    setStatus(statusWithPath(kStatusNoDocumentFolder, settings.RootDirPath));
    return;
  }
  const QString notes = NotesFolder(QDir::cleanPath(services_.programFolder));
  if (!QFileInfo(notes).isDir()) {
    setStatus(statusWithPath(kStatusNoNotesFolder, notes));
  }
}

QString frmMain::statusWithPath(const QString& lead, const QString& path) const {
  const QFontMetrics metrics(tightestFont(lblStatus->font()));
  const int room = lblStatus->width() - metrics.horizontalAdvance(lead);
  return lead + metrics.elidedText(path, Qt::ElideMiddle, room);
}

// AgentView

void frmMain::setStatus(const QString& text) {
  // Only a text too long even with its letters closed up loses its end.
  const QFont font = fittedFont(lblStatus->font(), text, lblStatus->width());
  lblStatus->setFont(font);
  lblStatus->setText(QFontMetrics(font).elidedText(text, Qt::ElideRight, lblStatus->width()));
}

void frmMain::setLinkPicture(LinkPicture picture) {
  const WindowArtwork::Tool tool =
      picture == LinkPicture::Running ? WindowArtwork::Tool::Stop : WindowArtwork::Tool::Play;
  cmdStartStop->setIcon(QIcon(toolImages[static_cast<std::size_t>(tool)]));
}

void frmMain::setScanEnabled(bool enabled) { cmdScan->setEnabled(enabled); }

void frmMain::setPortItems(const QStringList& items) {
  comPorts->clear();
  comPorts->addItems(items);
}

QString frmMain::portText() const { return comPorts->currentText(); }

void frmMain::setPortText(const QString& text) {
  comPorts->setCurrentIndex(comPorts->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

void frmMain::showConnectionPage() { showPage(picTab1); }

void frmMain::restoreWindow() {
  showNormal();
  raise();
}

void frmMain::setDebugLog(const QString& text) {
  txtDebugWindow->setPlainText(asShownInLog(text));
  logEndsInCarriageReturn_ = text.endsWith(u'\r');
}

void frmMain::appendDebugLog(const QString& text) {
  if (text.isEmpty()) {
    return;
  }
  QString shown = text;
  if (logEndsInCarriageReturn_ && shown.startsWith(u'\n')) {
    shown.remove(0, 1);
  }
  logEndsInCarriageReturn_ = text.endsWith(u'\r');
  QScrollBar* scroll = txtDebugWindow->verticalScrollBar();
  const bool following = scroll->value() == scroll->maximum();
  QTextCursor end(txtDebugWindow->document());
  end.movePosition(QTextCursor::End);
  end.insertText(asShownInLog(shown));
  if (following) {
    scroll->setValue(scroll->maximum());
  }
}

void frmMain::setPacketCount(const QString& text) { lblValIncomingPkts->setText(text); }

void frmMain::setByteCount(const QString& text) { lblValIncomingBytes->setText(text); }

void frmMain::showActiveTrayIcon() {
  setLamp(Lamp::Active);
  if (tray_ != nullptr) {
    tray_->ShowActiveTrayIcon();
  }
}

void frmMain::setLamp(Lamp lamp) {
  if (lamp_ == lamp) {
    return;
  }
  lamp_ = lamp;
  emit lampChanged(lamp);
}

// Handlers

void frmMain::showPage(const QWidget* page) {
  for (QWidget* each : {picTab1, picTab2, picTab3}) {
    each->setVisible(each == page);
  }
}

void frmMain::TabMenu_ItemClick() {
  const QString& text = tabMenu->ItemText;
  if (text == kTabConnection) {
    showPage(picTab1);
  } else if (text == kTabLauncher) {
    showPage(picTab2);
  } else if (text == kTabStatistics) {
    showPage(picTab3);
  }
}

void frmMain::ClearTabHover() { tabMenu->MoveMouseOff(); }

void frmMain::cmdStartStop_Click() {
  if (!modules_) {
    return;
  }
  LibSerial& serial = modules_->serial;
  if (serial.PortOpen) {
    serial.StopSerialLink();
  } else {
    serial.StartSerialLink();
  }
}

void frmMain::cmdScan_Click() {
  if (!modules_ || modules_->serial.PortOpen) {
    return;
  }
  LibSerial& serial = modules_->serial;
  // A scan finds what is there now; the port the user has chosen stays chosen while it is still
  // there, and the start-up's decision to start the saved port is not the scan's to change.
  const QString chosen = portText();
  const bool autoStart = serial.AutoStartPort;
  serial.FillPortList();
  serial.AutoStartPort = autoStart;
  if (!chosen.isEmpty() && serial.PortNumbers.contains(chosen)) {
    setPortText(chosen);
  }
  setStatus(serial.PortNumbers.isEmpty() ? kStatusNoPorts : kStatusSelectPort);
}

void frmMain::cmdClickAbout_Click() { emit aboutFormRequested(); }

void frmMain::cmdClickWebsite_Click() {
  OpenWithShell(services_.shell, QString::fromLatin1(ProductSite::kBaseAddress));
}

void frmMain::cmdDebugClear_Click() {
  if (modules_) {
    modules_->debugLog.Clear();
  } else {
    setDebugLog(QString());
  }
}

void frmMain::chkRunStartup_MouseUp() { emit runStartupReleased(); }

QString frmMain::manualPath() const {
  return QDir::cleanPath(services_.programFolder) + u'/' + QString::fromLatin1(kManualFileName);
}

bool frmMain::Form_KeyDown(int keyCode, Qt::KeyboardModifiers /*shift*/) {
  if (keyCode != Qt::Key_F1) {
    return false;
  }
  const QString manual = manualPath();
  // A missing manual is no error here: the About box's Help button is the one that says so.
  if (QFileInfo(manual).isFile()) {
    OpenWithShell(services_.shell, manual);
  }
  return true;
}

void frmMain::Timer1_Timer() {
  if (modules_ && modules_->serial.SessionActive) {
    modules_->notify.NotifyForegroundChange(false);
  }
}

void frmMain::tmrLED_Timer() {
  setLamp(Lamp::Idle);
  if (tray_ != nullptr) {
    tray_->ShowIdleTrayIcon();
    tray_->KeepWindowReachable();
  }
}

void frmMain::AttachTray(LibTray& tray) { tray_ = &tray; }

void frmMain::Form_Resize() {
  if (tray_ != nullptr) {
    tray_->Form_Resize();
  }
  // A resize may come while the window is still being built.
  if (tabMenu != nullptr && ImgBG != nullptr) {
    tabMenu->resize(width(), tabMenu->height());
    ImgBG->resize(size());
  }
}

void frmMain::ShowAppButtons() {
  if (!modules_) {
    return;
  }
  for (std::size_t i = 0; i < LibSettings::kButtonSlotCount; ++i) {
    lblApp[i]->setText(modules_->settings.ButtonApps[LibSettings::kFirstButtonSlot + i]);
  }
}

void frmMain::lblApp_Click(std::size_t slot) {
  if (!modules_ || slot < LibSettings::kFirstButtonSlot ||
      slot >= LibSettings::kFirstButtonSlot + LibSettings::kButtonSlotCount) {
    return;
  }
  LibSettings& settings = modules_->settings;
  const std::size_t row = slot - LibSettings::kFirstButtonSlot;
  const QString before = settings.ButtonApps[slot];
  settings.ButtonApps[slot] = ChooseButtonApp(lblApp[row], before);
  // Saved now, not only on exit: an agent that is killed keeps the user's choice.
  if (settings.ButtonApps[slot] != before && !settings.SaveButtonApp(slot)) {
    setStatus(kStatusMappingNotSaved);
  }
}

QString frmMain::ChooseButtonApp(QLabel* label, const QString& current) {
  FileDialogs::OpenFileRequest request;
  request.title = kChooserTitle;
  request.filter = FileDialogs::Filter{kChooserFilter, {}, true};
  request.hideReadOnly = true;
  // Programs live in /usr/bin as they did under "Program Files"; a machine without it opens in
  // the program folder.
  const QString programs = QString::fromLatin1(kProgramsFolder);
  request.startFolder = QFileInfo(programs).isDir() ? programs : services_.programFolder;
  if (!current.isEmpty()) {
    // A mapping may name a program on PATH; the dialog opens where it lies, with it selected.
    const QString found =
        current.contains(u'/') ? current : QStandardPaths::findExecutable(current);
    const QString mapped = found.isEmpty() ? current : found;
    const QFileInfo info(mapped);
    if (info.absoluteDir().exists()) {
      request.startFolder = info.absolutePath();
    }
    request.selectedFile = mapped;
  }

  const QString chosen = services_.dialogs.getOpenFileName(request);
  if (!chosen.isEmpty()) {
    label->setText(chosen);
  } else if (!current.isEmpty()) {
    if (services_.boxes.show(MessageBoxIcon::None, MessageBoxButtons::YesNo, kClearMappingText,
                             kClearMappingTitle) == MessageBoxAnswer::Yes) {
      label->clear();
    }
  }
  return label->text();
}

// Events

bool frmMain::isOwnWidget(const QObject* object) const {
  return widgetlook::BelongsToWindow(this, object);
}

bool frmMain::pictureButtonEvent(QLabel* button, QEvent* event, const QPixmap& pressed,
                                 const QPixmap& normal) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      button->setPixmap(pressed);
      return true;
    case QEvent::MouseButtonRelease:
      // The look follows the mouse button alone; the action only a release over the button.
      button->setPixmap(normal);
      if (releasedInside(button, event)) {
        if (button == cmdClickAbout) {
          cmdClickAbout_Click();
        } else {
          cmdClickWebsite_Click();
        }
      }
      return true;
    default:
      return false;
  }
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::KeyPress && isOwnWidget(watched)) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (!key->isAutoRepeat() && Form_KeyDown(key->key(), key->modifiers())) {
      return true;
    }
  }

  if (watched == comPorts || watched == portListView_) {
    // The port is chosen from the list only: typed characters would search it.
    return type == QEvent::KeyPress && isTypedCharacter(static_cast<QKeyEvent*>(event));
  }
  if (watched == cmdClickAbout) {
    return pictureButtonEvent(cmdClickAbout, event, imgAboutUp, imgAboutDown);
  }
  if (watched == cmdClickWebsite) {
    return pictureButtonEvent(cmdClickWebsite, event, imgWSUp, imgWSDown);
  }
  if (watched == chkRunStartup) {
    // The box follows the start-up registration, not the toolkit's own toggling: a mouse release
    // runs the toggle, which sets the box; keys toggle nothing.
    switch (type) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonDblClick:
        return true;
      case QEvent::MouseButtonRelease:
        if (releasedInside(chkRunStartup, event)) {
          chkRunStartup_MouseUp();
        }
        return true;
      case QEvent::KeyPress:
      case QEvent::KeyRelease: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        return key == Qt::Key_Space || key == Qt::Key_Select;
      }
      default:
        return false;
    }
  }
  if (type == QEvent::MouseButtonRelease) {
    for (std::size_t i = 0; i < lblApp.size(); ++i) {
      if (watched == lblApp[i] && releasedInside(lblApp[i], event)) {
        lblApp_Click(LibSettings::kFirstButtonSlot + i);
        return true;
      }
    }
  }
  if (watched == ImgBG && type == QEvent::MouseMove) {
    tabMenu->MoveMouseOff();
  }
  if (watched == tabMenu && type == QEvent::FocusOut) {
    ClearTabHover();
  }
  return QWidget::eventFilter(watched, event);
}

void frmMain::showEvent(QShowEvent* event) {
  if (!centred_) {
    centred_ = true;
    widgetlook::CentreOnScreen(this);
  }
  QWidget::showEvent(event);
}

void frmMain::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange) {
    Form_Resize();
  }
}

void frmMain::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Form_Resize();
}
