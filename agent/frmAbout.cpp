#include "agent/frmAbout.h"

#include <QCloseEvent>
#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPalette>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

#include "agent/ProductSite.h"
#include "agent/WindowArtwork.h"
#include "shared/AboutCore.h"
#include "shared/OpenWithShell.h"
#include "shared/widgets/WidgetLook.h"

namespace {

// The main window's colours, so that the box reads as part of the same program.
const QColor kWindowColour(52, 113, 203);
const QColor kNavy(38, 40, 113);
const QColor kCaptionYellow(255, 255, 128);
const QColor kFrameLine(120, 126, 210);

// The main window's font size; the title stands out above it.
constexpr int kFontPixels = 11;
constexpr int kTitlePixels = 18;
constexpr int kIconPixels = 48;
// Room for the warning in the window's font and for the credits in their larger type.
constexpr int kDisclaimerWidth = 300;
constexpr int kDisclaimerHeight = 150;
constexpr int kButtonWidth = 120;
constexpr int kMargin = 12;

const QString kCaptionLead = QStringLiteral("About ");
const QString kCaptionTail = QStringLiteral(" - Desktop");
const QString kVersionLead = QStringLiteral("Version ");
const QString kHelpMissingText = QStringLiteral("Help file not found.");
const QString kHelpMissingTitle = QStringLiteral("Help File Not Found");

QPushButton* button(const QString& text, QWidget* parent) {
  auto* made = new QPushButton(text, parent);
  made->setFixedWidth(kButtonWidth);
  // Enter presses the button that has the focus, as it does in a dialog.
  made->setAutoDefault(true);
  return made;
}

}  // namespace

frmAbout::frmAbout(const AboutBoxServices& services, const AboutDetails& details, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      services_(services),
      details_(details) {
  // With the main window in the tray, closing this box must not end the program, and an open box
  // must not keep a closed program running.
  setAttribute(Qt::WA_QuitOnClose, false);
  setWindowIcon(WindowArtwork::programIcon());
  setFont(widgetlook::FaceFont(kFontPixels, false));
  widgetlook::PaintSolid(this, kNavy);
  buildControls();
}

void frmAbout::buildControls() {
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(0);
  // The fixed size follows the controls: the credits never resize the box.
  outer->setSizeConstraint(QLayout::SetFixedSize);

  auto* band = new QWidget(this);
  widgetlook::PaintSolid(band, kWindowColour);
  auto* bandLayout = new QHBoxLayout(band);
  bandLayout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
  bandLayout->setSpacing(kMargin);
  imgIcon = new QLabel(band);
  imgIcon->setPixmap(WindowArtwork::programIcon().pixmap(kIconPixels));
  bandLayout->addWidget(imgIcon, 0, Qt::AlignTop);
  auto* names = new QVBoxLayout;
  names->setSpacing(2);
  lblTitle = new QLabel(band);
  lblTitle->setFont(widgetlook::FaceFont(kTitlePixels, true));
  widgetlook::SetTextColour(lblTitle, Qt::white);
  lblVersion = new QLabel(band);
  widgetlook::SetTextColour(lblVersion, kCaptionYellow);
  names->addWidget(lblTitle);
  names->addWidget(lblVersion);
  names->addStretch();
  bandLayout->addLayout(names, 1);
  outer->addWidget(band);

  auto* line = new QFrame(this);
  line->setFrameStyle(QFrame::HLine | QFrame::Plain);
  line->setFixedHeight(1);
  widgetlook::PaintSolid(line, kFrameLine);
  widgetlook::SetTextColour(line, kFrameLine);
  outer->addWidget(line);

  auto* body = new QHBoxLayout;
  body->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
  body->setSpacing(kMargin);
  lblDisclaimer = new QLabel(this);
  lblDisclaimer->setWordWrap(true);
  lblDisclaimer->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  lblDisclaimer->setFixedSize(kDisclaimerWidth, kDisclaimerHeight);
  lblDisclaimer->setCursor(Qt::PointingHandCursor);
  lblDisclaimer->setToolTip(LegalPageAddress());
  widgetlook::SetTextColour(lblDisclaimer, kCaptionYellow);
  lblDisclaimer->installEventFilter(this);
  body->addWidget(lblDisclaimer, 0, Qt::AlignTop);

  auto* buttons = new QVBoxLayout;
  buttons->setSpacing(6);
  cmdOK = button(QStringLiteral("OK"), this);
  cmdHelpFiles = button(QStringLiteral("&Help"), this);
  cmdCheckUpdate = button(QStringLiteral("&Check for Updates"), this);
  cmdCredit = button(QStringLiteral("&Credit"), this);
  for (QPushButton* each : {cmdOK, cmdHelpFiles, cmdCheckUpdate, cmdCredit}) {
    buttons->addWidget(each);
  }
  buttons->addStretch();
  body->addLayout(buttons);
  outer->addLayout(body);

  connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
  connect(cmdHelpFiles, &QPushButton::clicked, this, &frmAbout::cmdHelpFiles_Click);
  connect(cmdCheckUpdate, &QPushButton::clicked, this, &frmAbout::cmdCheckUpdate_Click);
  connect(cmdCredit, &QPushButton::clicked, this, &frmAbout::cmdCredit_Click);
  cmdOK->setFocus();
}

QString frmAbout::UpdateCheckAddress(const QString& productCode, int major, int minor,
                                     int revision) {
  return QString::fromLatin1(ProductSite::kBaseAddress) +
         QString::fromLatin1(ProductSite::kUpdateCheckFolder) + productCode + u'_' +
         QString::number(major) + QString::number(minor) + QString::number(revision) +
         QStringLiteral(".htm");
}

QString frmAbout::DisclaimerText() { return aboutcore::DisclaimerText(); }

QString frmAbout::CreditText() {
  return QStringLiteral(
      "Corvane and Quenlow were made by a small team who wanted to give talks without standing "
      "at the keyboard. Thanks to everyone who tried the remote, reported faults and suggested "
      "improvements.");
}

QString frmAbout::LegalPageAddress() {
  return QString::fromLatin1(ProductSite::kBaseAddress) +
         QString::fromLatin1(ProductSite::kLegalPage);
}

void frmAbout::Form_Load() {
  setWindowTitle(kCaptionLead + LibAppREg::ProductNameFromCode(details_.productCode) +
                 kCaptionTail);
  lblVersion->setText(kVersionLead + QString::number(details_.major) + u'.' +
                      QString::number(details_.minor) + u'.' + QString::number(details_.revision));
  lblDisclaimer->setText(DisclaimerText());
  lblTitle->setText(details_.applicationTitle);
}

void frmAbout::cmdOK_Click() { close(); }

void frmAbout::cmdHelpFiles_Click() {
  const QString manual =
      QDir::cleanPath(services_.programFolder) + u'/' + QString::fromLatin1(kManualFileName);
  if (QFileInfo(manual).isFile()) {
    OpenWithShell(services_.shell, manual);
    return;
  }
  // The one answer is OK; there is nothing to decide.
  (void)services_.boxes.show(MessageBoxIcon::Critical, MessageBoxButtons::Ok, kHelpMissingText,
                             kHelpMissingTitle);
}

void frmAbout::cmdCheckUpdate_Click() {
  OpenWithShell(services_.shell, UpdateCheckAddress(details_.productCode, details_.major,
                                                    details_.minor, details_.revision));
  close();
}

void frmAbout::cmdCredit_Click() {
  QFont credits = lblDisclaimer->font();
  credits.setPointSize(kCreditPointSize);
  lblDisclaimer->setFont(credits);
  lblDisclaimer->setText(CreditText());
}

void frmAbout::lblDisclaimer_Click() { OpenWithShell(services_.shell, LegalPageAddress()); }

void frmAbout::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  if (event->isAccepted()) {
    emit unloaded();
  }
}

void frmAbout::keyPressEvent(QKeyEvent* event) {
  // Escape leaves the box as OK does; the buttons pass it on to the window.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    cmdOK_Click();
    return;
  }
  QWidget::keyPressEvent(event);
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lblDisclaimer && event->type() == QEvent::MouseButtonRelease) {
    const auto* mouse = static_cast<const QMouseEvent*>(event);
    // A click is a release over the label that was pressed.
    if (mouse->button() == Qt::LeftButton &&
        lblDisclaimer->rect().contains(mouse->position().toPoint())) {
      lblDisclaimer_Click();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

AboutBox::AboutBox(const AboutBoxServices& services, const LibAppREg& product)
    : services_(services), product_(product) {}

AboutBox::~AboutBox() = default;

AboutDetails AboutBox::DetailsOf(const QString& productCode, const QString& versionText) {
  AboutDetails details;
  details.productCode = productCode;
  details.applicationTitle = QString::fromLatin1(kApplicationTitle);
  const QStringList parts = versionText.split(u'.');
  int* const numbers[] = {&details.major, &details.minor, &details.revision};
  for (qsizetype i = 0; i < 3 && i < parts.size(); ++i) {
    bool ok = false;
    const int value = parts[i].toInt(&ok);
    *numbers[i] = ok ? value : 0;
  }
  return details;
}

void AboutBox::ShowAboutForm() {
  if (form_) {
    form_->setWindowState(form_->windowState() & ~Qt::WindowMinimized);
    form_->show();
    form_->raise();
    form_->activateWindow();
    return;
  }
  form_ = std::make_unique<frmAbout>(services_,
                                     DetailsOf(product_.ProductCode, product_.ProductVersion));
  frmAbout* const form = form_.get();
  // The box is closing from inside one of its own handlers: it goes once that has returned.
  QObject::connect(form, &frmAbout::unloaded, form, [this, form] {
    if (form_.get() == form) {
      form_.release()->deleteLater();
    }
  });
  form->Form_Load();
  form->show();
}
