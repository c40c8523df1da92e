#include "editor/frmMain.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QFont>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRect>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <initializer_list>
#include <vector>

#include "editor/EditorArtwork.h"
#include "editor/frmMainOfficeWork.h"
#include "editor/frmPresent.h"
#include "shared/NumberText.h"
#include "shared/widgets/Twips.h"
#include "shared/widgets/WidgetLook.h"

namespace quenlow {

namespace {

const QString kCaption = QStringLiteral("CorvaneControl Quenlow");
const QString kNoPresentation =
    QStringLiteral("No Presentation loaded.  Please open a presentation or select new.");
const QString kApplyAllQuestion = QStringLiteral(
    "This will change the count and warning values for\nall slides to the value specified, "
    "continue?");
const QString kApplyAllTitle = QStringLiteral("Change all slides?");
const QString kCapsText = QStringLiteral("CAPS");

constexpr int kTimeEntries = 60;

const QColor kNavy(0, 0, 128);
const QColor kTitleYellow(255, 255, 192);
const QColor kNotesBlue(26, 9, 108);

// The window's font, MS Sans Serif 8.25 points at 96 dots per inch, as Arial's metric twin; the
// slide frame's caption is 9.75 points.
constexpr int kFontPixels = 11;
constexpr int kSlideCaptionPixels = 13;

void setColours(QWidget* widget, const QColor& text, const QColor& background) {
  QPalette palette = widget->palette();
  for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text}) {
    palette.setColor(role, text);
  }
  if (background.isValid()) {
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::Base, background);
    widget->setAutoFillBackground(true);
  }
  widget->setPalette(palette);
}

QLabel* label(QWidget* parent, const QString& text, const QRect& where) {
  auto* made = new QLabel(text, parent);
  made->setGeometry(where);
  return made;
}

QPushButton* button(QWidget* parent, const QString& text, const QRect& where) {
  auto* made = new QPushButton(text, parent);
  made->setGeometry(where);
  return made;
}

// A time box: its value comes from its list of "00".."59" only. The box shows any value the
// panel puts there (a loaded slide may hold 75 minutes), so its text field stays, read-only:
// typed, pasted and deleted characters go nowhere, and the arrow keys still choose.
QComboBox* timeBox(QWidget* parent, const QRect& where) {
  auto* box = new QComboBox(parent);
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  box->lineEdit()->setReadOnly(true);
  box->setGeometry(where);
  return box;
}

// A notes text with CR LF line ends as the box holds it: one line break each.
QString notesAsShown(QString note) {
  note.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return note;
}

// The box's text with the line ends of the notes file.
QString notesAsStored(QString shown) {
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  shown.replace(u'\r', u'\n');
  shown.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
  return shown;
}

}  // namespace

frmMain::frmMain(const EditorServices& services, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint),
      services_(services),
      slides_(*this, services.presentation) {
  setWindowTitle(kCaption);
  setWindowIcon(EditorArtwork::programIcon());
  setFont(widgetlook::FaceFont(kFontPixels, false));

  buildMenus();
  client = new QWidget(this);
  client->setFixedSize(kClientSize);
  setCentralWidget(client);
  buildFrame();
  buildSlideDetails();
  buildStatusBar();
  connectControls();

  // Not resizable: the client area keeps its size beneath the menu bar.
  setFixedSize(kClientSize.width(), kClientSize.height() + menuBar()->sizeHint().height());

  // The window sees every key before the control with the focus does, so that F1 works wherever
  // the focus is, and the time lists' opening is seen where it happens.
  qApp->installEventFilter(this);

  connect(&tmrLocks, &QTimer::timeout, this, &frmMain::tmrLocks_Timer);
  tmrLocks_Timer();
  tmrLocks.start(kLockPollMs);
}

frmMain::~frmMain() {
  // The children outlive this part of the window; nothing may reach its handlers any more.
  qApp->removeEventFilter(this);
  tmrLocks.stop();
}

void frmMain::buildMenus() {
  menuBar()->setNativeMenuBar(false);
  m_file = menuBar()->addMenu(QStringLiteral("&File"));
  m_NewPres = m_file->addAction(QStringLiteral("&New Presentation Notes"));
  m_OpenPres = m_file->addAction(QStringLiteral("&Open Presentation"));
  m_savePres = m_file->addAction(QStringLiteral("&Save Presentation Notes"));
  m_file->addSeparator();
  m_exit = m_file->addAction(QStringLiteral("E&xit"));
  m_update = menuBar()->addMenu(QStringLiteral("&Update"));
  m_Notes = m_update->addAction(QStringLiteral("&Presentation Notes"));
  m_help = menuBar()->addMenu(QStringLiteral("&Help"));
  m_helpFile = m_help->addAction(QStringLiteral("Help &File"));
  m_visit_website = m_help->addAction(QStringLiteral("&Visit our website"));
  m_about = m_help->addAction(QStringLiteral("&About"));
}

void frmMain::buildFrame() {
  Frame1 = new QGroupBox(QStringLiteral("Presentation Notes"), client);
  Frame1->setGeometry(twips::rect(75, 60, 9165, 5175));

  lblFileName = label(Frame1, kNoPresentation, twips::rect(120, 240, 6495, 495));
  lblFileName->setWordWrap(true);
  lblFileName->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setColours(lblFileName, kNavy, QColor());

  lblSlideHeader = label(Frame1, QStringLiteral("Slide #"), twips::rect(240, 720, 735, 255));
  lblSlideHeader->setAlignment(Qt::AlignCenter);
  lblSlideHeader->setFont(widgetlook::FaceFont(kFontPixels, true));
  setColours(lblSlideHeader, Qt::white, kNavy);

  List1 = new QListWidget(Frame1);
  List1->setGeometry(twips::rect(240, 960, 735, 3960));
  List1->setSelectionMode(QAbstractItemView::SingleSelection);

  cmdAddSlide = button(Frame1, QStringLiteral("&Add"), twips::rect(1200, 3690, 975, 375));
  cmdRemoveSlide = button(Frame1, QStringLiteral("&Remove"), twips::rect(1200, 4230, 975, 375));
  cmdPresent = button(Frame1, QStringLiteral("Assign Times"), twips::rect(3090, 3690, 1155, 375));
  cmdPresent->setEnabled(false);

  Picture1 = new QLabel(Frame1);
  Picture1->setGeometry(twips::rect(4440, 840, 4455, 3525));
  // The picture is larger than its box and shows from its top left, as it was laid out.
  Picture1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Picture1->setPixmap(EditorArtwork::handheld());

  // Over the handheld's screen: made after the picture, so that it lies above it.
  txtNotes = new QPlainTextEdit(Frame1);
  txtNotes->setGeometry(twips::rect(5460, 2865, 2445, 825));
  txtNotes->setFont(widgetlook::FaceFont(kFontPixels, false));
  txtNotes->setFrameStyle(QFrame::NoFrame);
  setColours(txtNotes, Qt::white, kNotesBlue);
  txtNotes->setFocusPolicy(Qt::ClickFocus);
  txtNotes->setTabChangesFocus(true);

  lblDevSim = label(Frame1, QStringLiteral("(Enter slide notes in blue text area above)"),
                    twips::rect(4440, 4470, 4455, 285));
  lblDevSim->setAlignment(Qt::AlignCenter);
  lblDevSim->setFont(widgetlook::FaceFont(kFontPixels, true));
  setColours(lblDevSim, kNotesBlue, QColor());

  Command1 = button(Frame1, QStringLiteral("Command1"), twips::rect(5400, 240, 1095, 375));
  Command1->hide();
  cmdLoad = button(client, QStringLiteral("&Load"), twips::rect(240, 4800, 1095, 375));
  cmdLoad->hide();
}

void frmMain::buildSlideDetails() {
  fraSlideDet = new QGroupBox(Frame1);
  fraSlideDet->setGeometry(twips::rect(1200, 720, 3135, 2805));
  fraSlideDet->setFont(widgetlook::FaceFont(kSlideCaptionPixels, true));

  // The frame's caption is bold and larger; its controls keep the window's font.
  const QFont plain = widgetlook::FaceFont(kFontPixels, false);
  lblHdrSlideTitle = label(fraSlideDet, QStringLiteral("Title :"), twips::rect(120, 240, 615, 255));
  txtSlideTitle = new QLineEdit(fraSlideDet);
  txtSlideTitle->setGeometry(twips::rect(600, 240, 2295, 375));
  setColours(txtSlideTitle, Qt::black, kTitleYellow);
  lblHdrMin = label(fraSlideDet, QStringLiteral("Min:"), twips::rect(120, 720, 375, 255));
  comMin = timeBox(fraSlideDet, twips::rect(570, 720, 735, 315));
  lblHdrSec = label(fraSlideDet, QStringLiteral("Sec:"), twips::rect(1440, 720, 495, 375));
  comSec = timeBox(fraSlideDet, twips::rect(1800, 720, 615, 315));

  Frame2 = new QGroupBox(fraSlideDet);
  Frame2->setGeometry(twips::rect(60, 1095, 2955, 1635));
  optCountAsc = new QRadioButton(QStringLiteral("Count Time Ascending"), Frame2);
  optCountAsc->setGeometry(twips::rect(120, 240, 2295, 255));
  optCountDesc = new QRadioButton(QStringLiteral("Count Time Descending"), Frame2);
  optCountDesc->setGeometry(twips::rect(120, 525, 2295, 255));
  chkVibrateDevice = new QCheckBox(QStringLiteral("Warning on time up"), Frame2);
  chkVibrateDevice->setGeometry(twips::rect(120, 810, 2415, 255));
  cmdApplyAllSlides =
      button(Frame2, QStringLiteral("A&pply to All Slides"), twips::rect(150, 1185, 2625, 375));
  cmdApplyAllSlides->setEnabled(false);

  for (QWidget* control : std::initializer_list<QWidget*>{
           lblHdrSlideTitle, txtSlideTitle, lblHdrMin, comMin, lblHdrSec, comSec, Frame2}) {
    control->setFont(plain);
  }

  // Made now: a combo box makes its drop-down on first use, and its opening is an event here.
  minPopup_ = comMin->view()->window();
  secPopup_ = comSec->view()->window();
}

void frmMain::buildStatusBar() {
  StatusBar1 = new QWidget(client);
  StatusBar1->setGeometry(0, kClientSize.height() - px(375), kClientSize.width(), px(375));
  const auto panel = [this](int left, int width) {
    auto* made = new QLabel(StatusBar1);
    made->setGeometry(left, 0, width, StatusBar1->height());
    made->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    made->setIndent(2);
    return made;
  };
  panelTotalTime = panel(0, px(2440));
  panelDate = panel(px(2440), px(1440));
  panelDate->setAlignment(Qt::AlignCenter);
  panelCaps = panel(px(2440) + px(1440), px(1440));
  panelCaps->setAlignment(Qt::AlignCenter);
}

void frmMain::connectControls() {
  connect(m_NewPres, &QAction::triggered, this, &frmMain::m_NewPres_Click);
  connect(m_OpenPres, &QAction::triggered, this, &frmMain::m_OpenPres_Click);
  connect(m_savePres, &QAction::triggered, this, &frmMain::m_savePres_Click);
  connect(m_exit, &QAction::triggered, this, &frmMain::m_exit_Click);
  connect(m_Notes, &QAction::triggered, this, &frmMain::m_Notes_Click);
  connect(m_helpFile, &QAction::triggered, this, &frmMain::m_helpFile_Click);
  connect(m_visit_website, &QAction::triggered, this, &frmMain::m_visit_website_Click);
  connect(m_about, &QAction::triggered, this, &frmMain::m_about_Click);

  // The list's selection, by the user or by the code, shows the slide; the empty selection of a
  // list being cleared or refilled is no choice.
  connect(List1, &QListWidget::itemSelectionChanged, this, [this] {
    if (!List1->selectedItems().isEmpty()) {
      List1_Click();
    }
  });
  connect(cmdAddSlide, &QPushButton::clicked, this, &frmMain::cmdAddSlide_Click);
  connect(cmdRemoveSlide, &QPushButton::clicked, this, &frmMain::cmdRemoveSlide_Click);
  connect(cmdApplyAllSlides, &QPushButton::clicked, this, &frmMain::cmdApplyAllSlides_Click);
  connect(cmdPresent, &QPushButton::clicked, this, &frmMain::cmdPresent_Click);
  connect(Command1, &QPushButton::clicked, this, &frmMain::Command1_Click);
  connect(cmdLoad, &QPushButton::clicked, this, &frmMain::cmdLoad_Click);

  // Only what the user does counts as an edit: these signals are never raised by the panel's
  // own filling.
  connect(comMin, &QComboBox::activated, this, &frmMain::comMin_Click);
  connect(comSec, &QComboBox::activated, this, &frmMain::comSec_Click);
  connect(comSec->lineEdit(), &QLineEdit::textEdited, this, &frmMain::comSec_Change);
  connect(optCountAsc, &QRadioButton::clicked, this, &frmMain::optCountAsc_Click);
  connect(optCountDesc, &QRadioButton::clicked, this, &frmMain::optCountDesc_Click);
  connect(chkVibrateDevice, &QCheckBox::clicked, this, &frmMain::chkVibrateDevice_Click);
  // Typing, deleting, pasting, cutting, dropping and undoing all change the text.
  connect(txtSlideTitle, &QLineEdit::textEdited, this, &frmMain::txtSlideTitle_Change);
  connect(txtNotes, &QPlainTextEdit::textChanged, this, [this] {
    if (!fillingNotes_) {
      txtNotes_Change();
    }
  });
}

// The panel's texts

void frmMain::setTitleText(const QString& title) {
  filledTitle_ = title;
  txtSlideTitle->setText(title);
  shownTitle_ = txtSlideTitle->text();
}

QString frmMain::titleText() const {
  const QString shown = txtSlideTitle->text();
  return shown == shownTitle_ ? filledTitle_ : shown;
}

void frmMain::setNotesText(const QString& note) {
  filledNote_ = note;
  fillingNotes_ = true;
  txtNotes->setPlainText(notesAsShown(note));
  fillingNotes_ = false;
  shownNote_ = txtNotes->toPlainText();
}

QString frmMain::notesText() const {
  const QString shown = txtNotes->toPlainText();
  return shown == shownNote_ ? filledNote_ : notesAsStored(shown);
}

void frmMain::setTotalTimeText(const QString& text) { panelTotalTime->setText(text); }

QString frmMain::totalTimeText() const { return panelTotalTime->text(); }

// Handlers

void frmMain::Form_Load() {
  comMin->clear();
  QStringList entries;
  entries.reserve(kTimeEntries);
  for (int i = 0; i < kTimeEntries; ++i) {
    entries << QString::number(i).rightJustified(2, u'0');
  }
  comMin->addItems(entries);
  comSec->addItems(entries);
  comMin->setEditText(entries.front());
  comSec->setEditText(entries.front());
  slides_.ClearSlideDetails();
  slides_.PresentationModified = false;
  setUpdateMenu(false);
}

bool frmMain::Form_KeyDown(int keyCode, Qt::KeyboardModifiers /*shift*/) {
  if (keyCode != Qt::Key_F1) {
    return false;
  }
  emit helpKeyPressed();
  if (!officeWorking()) {
    openManual(false);
  }
  return true;
}

void frmMain::List1_Click() {
  const QList<QListWidgetItem*> chosen = List1->selectedItems();
  if (chosen.isEmpty()) {
    return;
  }
  if (slides_.DisplayedSlide > 0) {
    slides_.StoreSlideFields(slides_.DisplayedSlide);
  }
  const double number = numbertext::roundHalfEven(numbertext::readNumber(chosen.front()->text()));
  slides_.DisplayedSlide = numbertext::toInt32(number).value_or(0);
  slides_.ShowSlide(slides_.DisplayedSlide);
}

void frmMain::cmdAddSlide_Click() {
  if (!officeWorking()) {
    slides_.AddSlide();
  }
}

void frmMain::cmdRemoveSlide_Click() {
  if (!officeWorking()) {
    slides_.RemoveSlide();
  }
}

void frmMain::cmdApplyAllSlides_Click() {
  if (officeWorking()) {
    return;
  }
  if (services_.boxes.show(MessageBoxIcon::None, MessageBoxButtons::YesNo, kApplyAllQuestion,
                           kApplyAllTitle) != MessageBoxAnswer::Yes) {
    return;
  }
  // What the user typed into the shown slide is kept before slide 1 takes the panel.
  if (slides_.DisplayedSlide > 0) {
    slides_.StoreSlideFields(slides_.DisplayedSlide);
  }
  PresentationModel& model = slides_.model();
  const bool ascending = optCountAsc->isChecked();
  const bool warning = chkVibrateDevice->checkState() == Qt::Checked;
  for (std::size_t i = 1; i < model.Slides.size(); ++i) {
    model.Slides[i].Ascending = ascending;
    model.Slides[i].Warning = warning;
  }
  slides_.DisplayedSlide = 1;
  slides_.ShowSlide(1);
}

void frmMain::cmdPresent_Click() {
  if (officeWorking()) {
    return;
  }
  if (present_ != nullptr) {
    present_->show();
    present_->raise();
    present_->activateWindow();
    return;
  }
  present_ = new frmPresent(this, slides_, services_.boxes);
  present_->setAttribute(Qt::WA_DeleteOnClose);
  present_->show();
}

void frmMain::Command1_Click() {
  if (!officeWorking()) {
    services_.presentation.StartSlideShow();
  }
}

void frmMain::cmdLoad_Click() {}

void frmMain::comMin_Click() {
  slides_.PresentationModified = true;
  if (slides_.DisplayedSlide > 0) {
    slides_.StoreSlideFields(slides_.DisplayedSlide);
    slides_.UpdateTotalTime();
  }
}

void frmMain::comSec_Change() {
  if (slides_.DisplayedSlide > 0) {
    slides_.StoreSlideFields(slides_.DisplayedSlide);
    slides_.UpdateTotalTime();
  }
}

void frmMain::comSec_Click() { slides_.PresentationModified = true; }

void frmMain::comMin_DropDown() { slides_.UpdateTotalTime(); }

void frmMain::comSec_DropDown() { slides_.UpdateTotalTime(); }

void frmMain::optCountAsc_Click() { slides_.PresentationModified = true; }

void frmMain::optCountDesc_Click() { slides_.PresentationModified = true; }

void frmMain::chkVibrateDevice_Click() { slides_.PresentationModified = true; }

void frmMain::txtSlideTitle_Change() { slides_.PresentationModified = true; }

void frmMain::txtNotes_Change() { slides_.PresentationModified = true; }

void frmMain::tmrLocks_Timer() {
  panelCaps->setText(services_.locks.capsLockOn() ? kCapsText : QString());
  panelDate->setText(QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));
}

// Events

bool frmMain::isOwnWidget(const QObject* object) const {
  return widgetlook::BelongsToWindow(this, object);
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::Show) {
    if (watched == minPopup_) {
      comMin_DropDown();
    } else if (watched == secPopup_) {
      comSec_DropDown();
    }
  }
  if ((type == QEvent::KeyPress || type == QEvent::KeyRelease) && isOwnWidget(watched)) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_CapsLock) {
      tmrLocks_Timer();
    }
    // F1 means nothing to the controls themselves: taken here, it reaches the window once.
    if (type == QEvent::KeyPress && !key->isAutoRepeat() &&
        Form_KeyDown(key->key(), key->modifiers())) {
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void frmMain::showEvent(QShowEvent* event) {
  if (!centred_) {
    centred_ = true;
    widgetlook::CentreOnScreen(this);
  }
  QMainWindow::showEvent(event);
}

// The close is never refused: while the presentation program works it only waits for it.
void frmMain::closeEvent(QCloseEvent* event) {
  if (ended_) {
    event->accept();
    return;
  }
  if (officeWorking()) {
    closePending_ = true;
    event->ignore();
    return;
  }
  {
    // An instance that the save or update flow left open is closed before the exit.
    const OfficeWork work(*this, false);
    services_.presentation.ClosePowerPoint();
  }
  exitProgram();
  event->accept();
}

}  // namespace quenlow
