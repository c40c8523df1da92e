#include "editor/frmPresent.h"

#include <QEvent>
#include <QFont>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRect>
#include <QString>
#include <algorithm>
#include <cstddef>
#include <limits>
#include <optional>

#include "editor/LibSlideMgr.h"
#include "editor/SlideTimes.h"
#include "shared/NumberText.h"
#include "shared/widgets/Twips.h"

namespace quenlow {
namespace {

const QString kCaption = QStringLiteral("Assign Slide Times");
const QString kNoSlidesText = QStringLiteral("No slides defined.  Add slides, then try again.");
const QString kNoSlidesTitle = QStringLiteral("No slides found");
const QString kInvalidTimeText = QStringLiteral("Time must be greater than 1 minute.");
const QString kInvalidTimeTitle = QStringLiteral("Time not valid");
const QString kConfirmText =
    QStringLiteral("This action will change the presenation times on all \nslides, continue?");
const QString kConfirmTitle = QStringLiteral("Overwrite current times?");

// A person types the time: blanks anywhere and an exponent are taken as the number reader
// allows them.
constexpr numbertext::ReadOptions kTypedNumber{.ignoreAllBlanks = true, .exponent = true};

// The entered hours or minutes as a whole number; nothing when it leaves 32 bits.
std::optional<qint32> enteredNumber(const QLineEdit* box) {
  return numbertext::toInt32(numbertext::readNumber(box->text(), kTypedNumber));
}

// Neither button is the dialog's default or cancel button: Enter and Esc, which the dialog
// would turn into a click or a close, reach nothing. Spaces still press the focused button.
class NoDefaultKeys final : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == parent() && event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter) {
        event->accept();
        return true;
      }
    }
    return QObject::eventFilter(watched, event);
  }
};

QLineEdit* timeBox(QWidget* parent, const QRect& place) {
  auto* box = new QLineEdit(QStringLiteral("0"), parent);
  box->setGeometry(place);
  box->setAlignment(Qt::AlignCenter);
  box->setMaxLength(std::numeric_limits<int>::max());
  QFont bold = box->font();
  bold.setBold(true);
  box->setFont(bold);
  return box;
}

QLabel* label(const QString& text, QWidget* parent, const QRect& place) {
  auto* made = new QLabel(text, parent);
  made->setGeometry(place);
  made->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  made->setWordWrap(true);
  return made;
}

QPushButton* button(const QString& text, QWidget* parent, const QRect& place) {
  auto* made = new QPushButton(text, parent);
  made->setGeometry(place);
  made->setAutoDefault(false);
  made->setDefault(false);
  return made;
}

}  // namespace

frmPresent::frmPresent(QWidget* owner, LibSlideMgr& slides, MessageBoxes& boxes)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      slides_(slides),
      boxes_(boxes) {
  // Made afresh for every opening, so that both boxes start from "0" again.
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  setWindowTitle(kCaption);
  setFixedSize(twips::rect(0, 0, 4260, 2490).size());

  auto* frame = new QGroupBox(this);
  frame->setGeometry(twips::rect(60, 15, 4095, 1815));
  label(QStringLiteral("Please enter the total duration of your Presentation :"), frame,
        twips::rect(120, 270, 3735, 525));
  txtHrs = timeBox(frame, twips::rect(1230, 930, 525, 375));
  label(QStringLiteral(":"), frame, twips::rect(1860, 975, 195, 315));
  txtMin = timeBox(frame, twips::rect(1980, 930, 525, 375));
  label(QStringLiteral("Hours"), frame, twips::rect(1230, 1365, 525, 255));
  label(QStringLiteral("Minutes"), frame, twips::rect(1980, 1350, 615, 255));
  cmdCancel = button(QStringLiteral("&Cancel"), this, twips::rect(120, 1965, 1395, 435));
  cmdAssignTime =
      button(QStringLiteral("&Set Slide Times"), this, twips::rect(2730, 1965, 1395, 435));

  setTabOrder(txtHrs, txtMin);
  setTabOrder(txtMin, cmdAssignTime);
  setTabOrder(cmdAssignTime, cmdCancel);
  txtHrs->setFocus();

  installEventFilter(new NoDefaultKeys(this));
  connect(cmdAssignTime, &QPushButton::clicked, this, &frmPresent::cmdAssignTime_Click);
  connect(cmdCancel, &QPushButton::clicked, this, &frmPresent::cmdCancel_Click);
}

void frmPresent::cmdAssignTime_Click() {
  // The model may have changed since the dialog opened (it does not block the main window): it
  // is read as it is now.
  if (slides_.model().SlideCount < 1) {
    boxes_.show(MessageBoxIcon::Critical, MessageBoxButtons::Ok, kNoSlidesText, kNoSlidesTitle);
    return;
  }
  const std::optional<qint32> hours = enteredNumber(txtHrs);
  const std::optional<qint32> minutes = enteredNumber(txtMin);
  std::optional<qint32> total;
  if (hours && minutes) {
    total = HoursMinutesToSeconds(*hours, *minutes);
  }
  const auto upperIndex = [this] {
    return static_cast<qint32>(std::max<qsizetype>(slides_.model().Slides.size() - 1, 0));
  };
  const qint32 share = total ? DivideTime(*total, upperIndex()) : 0;

  // The panel's edits are kept even when the time is refused below.
  if (slides_.DisplayedSlide > 0) {
    slides_.StoreSlideFields(slides_.DisplayedSlide);
  }
  // An entry or total beyond 32 bits is no time either.
  if (share < 1) {
    boxes_.show(MessageBoxIcon::Critical, MessageBoxButtons::Ok, kInvalidTimeText,
                kInvalidTimeTitle);
    return;
  }
  if (boxes_.show(MessageBoxIcon::None, MessageBoxButtons::YesNo, kConfirmText, kConfirmTitle) !=
      MessageBoxAnswer::Yes) {
    return;
  }

  const qint32 minutesEach = share / 60;
  const qint32 secondsEach = share - minutesEach * 60;
  PresentationModel& model = slides_.model();
  for (qint32 i = 1; i <= upperIndex(); ++i) {
    model.Slides[static_cast<std::size_t>(i)].DurationMinutes = minutesEach;
    model.Slides[static_cast<std::size_t>(i)].DurationSeconds = secondsEach;
  }
  if (upperIndex() >= 1) {
    slides_.DisplayedSlide = 1;
    slides_.ShowSlide(1);
  }
  close();
}

void frmPresent::cmdCancel_Click() { close(); }

}  // namespace quenlow
