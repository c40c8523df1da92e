#include "editor/LibSlideMgr.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <cstddef>
#include <initializer_list>
#include <limits>

#include "editor/frmMain.h"
#include "shared/NumberText.h"
#include "shared/PresentationText.h"

namespace quenlow {

namespace {

const QString kSlideCaption = QStringLiteral("Slide ");
const QString kNewSlideTitle = QStringLiteral("<New Slide #%1>");
const QString kTotalTimeLead = QStringLiteral("Total Time:  ");

// A number with at least two digits, the sign before them: 7 is "07", -5 is "-05", 75 is "75".
QString twoDigits(qint32 value) {
  const qint64 magnitude = value < 0 ? -static_cast<qint64>(value) : value;
  const QString digits = QString::number(magnitude).rightJustified(2, u'0');
  return value < 0 ? u'-' + digits : digits;
}

// A number as the status text writes it: a blank before it when it is 0 or more, its "-" else.
QString signedNumber(qint64 value) {
  return value < 0 ? QString::number(value) : u' ' + QString::number(value);
}

// A time box's text as the slide's whole number (7 and 07 both give 7). The boxes hold only what
// the lists and the panel put there; anything else is read as leniently as every number.
qint32 timeBoxValue(const QComboBox* box) {
  const QString text = box->currentText();
  if (const std::optional<qint32> whole = numbertext::toWholeNumber(text)) {
    return *whole;
  }
  return numbertext::toInt32(numbertext::roundHalfEven(numbertext::readNumber(text))).value_or(0);
}

bool fitsInt32(qint64 value) {
  return value >= std::numeric_limits<qint32>::min() && value <= std::numeric_limits<qint32>::max();
}

// The model keeps an element for each slide number it counts; a model that does not (filled by
// hand) gets the missing ones as new records rather than being read past its end.
void holdSlides(PresentationModel& model, qint32 upperIndex) {
  const auto needed = static_cast<std::size_t>(upperIndex < 0 ? 0 : upperIndex) + 1;
  if (model.Slides.size() < needed) {
    model.Slides.resize(needed);
  }
}

}  // namespace

LibSlideMgr::LibSlideMgr(frmMain& window, libPresentation& presentation)
    : window_(window), presentation_(presentation) {}

void LibSlideMgr::RefreshSlideList() {
  QListWidget* list = window_.List1;
  list->clear();
  const std::size_t count = model().Slides.size();
  for (std::size_t i = 1; i < count; ++i) {
    list->addItem(QString::number(i));
  }
}

void LibSlideMgr::ClearSlideDetails() {
  window_.fraSlideDet->setTitle(QString());
  window_.setTitleText(QString());
  window_.setNotesText(QString());
  window_.optCountAsc->setChecked(true);
  EnableSlideControls(false);
  UpdateTotalTime();
}

void LibSlideMgr::ShowSlide(qint32 n) {
  if (n == 0) {
    EnableSlideControls(false);
    UpdateTotalTime();
    return;
  }
  PresentationModel& m = model();
  if (n < 0 || static_cast<std::size_t>(n) >= m.Slides.size()) {
    return;
  }
  EnableSlideControls(true);
  window_.fraSlideDet->setTitle(kSlideCaption + QString::number(n));
  const SlideRecord& slide = m.Slides[static_cast<std::size_t>(n)];
  window_.setTitleText(SanitizeText(slide.Title));
  window_.setNotesText(slide.Note);
  window_.comMin->setEditText(twoDigits(slide.DurationMinutes));
  window_.comSec->setEditText(twoDigits(slide.DurationSeconds));
  if (slide.Ascending) {
    window_.optCountAsc->setChecked(true);
  } else {
    window_.optCountDesc->setChecked(true);
  }
  window_.chkVibrateDevice->setChecked(slide.Warning);
  m.CurrentSlide = n;
  UpdateTotalTime();
}

void LibSlideMgr::StoreSlideFields(qint32 n) {
  if (n <= 0) {
    UpdateTotalTime();
    return;
  }
  PresentationModel& m = model();
  holdSlides(m, n);
  EnableSlideControls(true);
  SlideRecord& slide = m.Slides[static_cast<std::size_t>(n)];
  slide.Title = SanitizeText(window_.titleText());
  slide.Note = SanitizeText(window_.notesText());
  slide.DurationMinutes = timeBoxValue(window_.comMin);
  slide.DurationSeconds = timeBoxValue(window_.comSec);
  slide.Ascending = window_.optCountAsc->isChecked();
  slide.Warning = window_.chkVibrateDevice->checkState() == Qt::Checked;
  UpdateTotalTime();
}

void LibSlideMgr::NewPresentation() {
  presentation_.ResetPresentationModel();
  ClearSlideDetails();
  window_.List1->clear();
  window_.lblFileName->setText(QString());
  DisplayedSlide = 0;
  PresentationModified = false;
  EnableSlideControls(false);
}

void LibSlideMgr::AddSlide() {
  EnableSlideControls(true);
  PresentationModel& m = model();
  const qint32 n = m.SlideCount + 1;
  m.Slides.resize(static_cast<std::size_t>(n) + 1);
  m.SlideCount = n;
  m.CurrentSlide = n;
  SlideRecord& slide = m.Slides[static_cast<std::size_t>(n)];
  slide = SlideRecord{};
  slide.Title = kNewSlideTitle.arg(n);
  slide.Ascending = true;
  RefreshSlideList();
  // Selecting the entry runs the list's click at once: the slide shown so far is stored first.
  window_.List1->setCurrentRow(window_.List1->count() - 1);
  ShowSlide(n);
  window_.txtSlideTitle->setFocus();
  window_.txtSlideTitle->setSelection(0, static_cast<int>(window_.txtSlideTitle->text().size()));
  PresentationModified = true;
  UpdateTotalTime();
}

void LibSlideMgr::RemoveSlide() {
  PresentationModel& m = model();
  if (m.CurrentSlide < 1) {
    ClearSlideDetails();
    EnableSlideControls(false);
    UpdateTotalTime();
    return;
  }
  PresentationModified = true;
  holdSlides(m, m.SlideCount);
  if (m.CurrentSlide >= m.SlideCount) {
    m.SlideCount = m.SlideCount - 1 < 0 ? 0 : m.SlideCount - 1;
    m.Slides.resize(static_cast<std::size_t>(m.SlideCount) + 1);
    DisplayedSlide = m.SlideCount;
  } else {
    for (qint32 i = m.CurrentSlide; i <= m.SlideCount - 1; ++i) {
      m.Slides[static_cast<std::size_t>(i)] = m.Slides[static_cast<std::size_t>(i) + 1];
    }
    m.SlideCount = m.SlideCount - 1;
    m.Slides.resize(static_cast<std::size_t>(m.SlideCount) + 1);
    DisplayedSlide = m.CurrentSlide;
  }
  RefreshSlideList();
  ShowSlide(DisplayedSlide);
  if (DisplayedSlide > 0) {
    window_.List1->setCurrentRow(DisplayedSlide - 1);
  }
  if (m.SlideCount >= 1) {
    UpdateTotalTime();
  } else {
    ClearSlideDetails();
    EnableSlideControls(false);
    UpdateTotalTime();
  }
}

std::optional<QString> LibSlideMgr::FormatTotalTime() const {
  const PresentationModel& m = presentation_.Model;
  const qint32 count = m.SlideCount;
  qint64 total = 0;
  for (qint32 i = 1; i <= count && static_cast<std::size_t>(i) < m.Slides.size(); ++i) {
    const SlideRecord& slide = m.Slides[static_cast<std::size_t>(i)];
    // Each step of the sum is a 32-bit value: one that leaves the range has no total.
    const qint64 minutes = static_cast<qint64>(slide.DurationMinutes) * 60;
    if (!fitsInt32(minutes)) {
      return std::nullopt;
    }
    const qint64 seconds = minutes + slide.DurationSeconds;
    if (!fitsInt32(seconds)) {
      return std::nullopt;
    }
    total += seconds;
    if (!fitsInt32(total)) {
      return std::nullopt;
    }
  }
  // The minutes pass through single precision, as the status text always showed them.
  const auto minutesExact = static_cast<float>(static_cast<double>(total) / 60.0);
  const auto minutes = static_cast<qint64>(numbertext::roundHalfEven(minutesExact));
  qint64 hours = minutes / 60;
  const qint64 rest = minutes % 60;
  if (hours >= 24) {
    hours %= 24;
  }
  return signedNumber(hours) + QStringLiteral(" Hrs. ") + signedNumber(rest) +
         QStringLiteral(" Min.");
}

void LibSlideMgr::UpdateTotalTime() {
  // A total beyond the 32-bit range has no text: the status keeps what it showed.
  if (const std::optional<QString> total = FormatTotalTime()) {
    window_.setTotalTimeText(kTotalTimeLead + *total);
  }
}

void LibSlideMgr::EnableSlideControls(bool enable) {
  for (QWidget* control : std::initializer_list<QWidget*>{
           window_.txtSlideTitle, window_.comMin, window_.comSec, window_.optCountAsc,
           window_.optCountDesc, window_.chkVibrateDevice, window_.cmdRemoveSlide,
           window_.cmdPresent, window_.cmdApplyAllSlides, window_.txtNotes}) {
    control->setEnabled(enable);
  }
}

}  // namespace quenlow
