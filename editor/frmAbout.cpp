#include "editor/frmAbout.h"

#include <QColor>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QString>

#include "editor/EditorArtwork.h"
#include "editor/EditorVersion.h"
#include "shared/AboutCore.h"
#include "shared/widgets/Twips.h"
#include "shared/widgets/WidgetLook.h"

namespace quenlow {

namespace {

// The program's title, the words of the main window's caption.
const QString kProgramTitle = QStringLiteral("CorvaneControl Quenlow");
const QString kCaptionLead = QStringLiteral("About ");
const QString kVersionLead = QStringLiteral("Version ");

const QColor kTitleBlue(52, 113, 203);
const QColor kEtchGrey(128, 128, 128);

// The window's font, MS Sans Serif 8.25 points; the title's 13.5 points, both at 96 dots per inch.
constexpr int kFontPixels = 11;
constexpr int kTitlePixels = 18;

QLabel* label(QWidget* parent, const QString& text, const QRect& where) {
  auto* made = new QLabel(text, parent);
  made->setGeometry(where);
  made->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return made;
}

// The desktop's stand-in for the design font may be taller than the design's line: a one-line
// label grows downwards to hold the whole line, descenders included.
void holdOneLine(QLabel* label) {
  const int needed = label->fontMetrics().height();
  if (label->height() < needed) {
    label->resize(label->width(), needed);
  }
}

QFrame* line(QWidget* parent, const QColor& colour, const QRect& where) {
  auto* made = new QFrame(parent);
  made->setFrameStyle(QFrame::NoFrame);
  made->setGeometry(where);
  widgetlook::PaintSolid(made, colour);
  return made;
}

}  // namespace

frmAbout::frmAbout(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  // The owner keeps a guarded pointer to the box: closing it is its end, and the next request
  // makes a new one.
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  setWindowIcon(EditorArtwork::programIcon());
  setFont(widgetlook::FaceFont(kFontPixels, false));
  widgetlook::PaintSolid(this, Qt::white);
  setFixedSize(kWidth, kHeight);

  picIcon = new QLabel(this);
  picIcon->setPixmap(EditorArtwork::aboutPicture());
  // Sized to its picture, from 30, -135 twips: its top lies above the box's edge.
  picIcon->setGeometry(
      QRect(QPoint(twips::px(30), twips::px(-135)), EditorArtwork::kAboutPictureSize));

  lblTitle = label(this, QStringLiteral("Application Title"), twips::rect(2640, 90, 4065, 480));
  lblTitle->setFont(widgetlook::FaceFont(kTitlePixels, true));
  widgetlook::SetTextColour(lblTitle, kTitleBlue);
  lblVersion = label(this, QStringLiteral("Version"), twips::rect(2640, 630, 3105, 225));
  holdOneLine(lblTitle);
  holdOneLine(lblVersion);

  // White two pixels wide from 2565 to 6855 twips, the grey one pixel over its upper half.
  Line1_0 =
      line(this, Qt::white, QRect(twips::px(2565), twips::px(1080), twips::px(6855 - 2565), 2));
  Line1_1 =
      line(this, kEtchGrey, QRect(twips::px(2580), twips::px(1080), twips::px(6825 - 2580), 1));

  lblDisclaimer = label(this, QString(), twips::rect(2745, 1305, 3990, 1215));
  lblDisclaimer->setWordWrap(true);
  widgetlook::SetTextColour(lblDisclaimer, Qt::black);

  cmdOK = new QPushButton(QStringLiteral("OK"), this);
  cmdOK->setGeometry(twips::rect(5475, 2685, 1260, 345));
  // Enter presses it wherever the focus is.
  cmdOK->setDefault(true);
  cmdOK->setFocus();
  connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

  Form_Load();
}

void frmAbout::Form_Load() {
  setWindowTitle(kCaptionLead + kProgramTitle);
  lblVersion->setText(kVersionLead + QString::number(EditorVersion::kMajor) + u'.' +
                      QString::number(EditorVersion::kMinor) + u'.' +
                      QString::number(EditorVersion::kRevision));
  lblDisclaimer->setText(aboutcore::DisclaimerText());
  lblTitle->setText(kProgramTitle);
}

void frmAbout::cmdOK_Click() { close(); }

void frmAbout::keyPressEvent(QKeyEvent* event) {
  // OK is also the cancel button: Esc presses it, as Enter does.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    cmdOK->click();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace quenlow
