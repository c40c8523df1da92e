#include "editor/NotesWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>

#include "platform/FileReplace.h"
#include "platform/Windows1252.h"
#include "shared/NotesReader.h"
#include "shared/PresentationText.h"

namespace {

QString booleanWord(bool value) { return value ? QStringLiteral("TRUE") : QStringLiteral("FALSE"); }

constexpr auto kAnyWrite =
    QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;

// A tag of the notes file, opening or closing, in any case: the agent's reader finds every element
// by its tags, without regard to case.
const QRegularExpression& fileTag() {
  static const QRegularExpression tag(
      QStringLiteral("<(/?(?:PRESENTATION_NOTES|TITLE|FILE_NAME|PATH_FILENAME|SLIDE_COUNT|"
                     "TOTAL_TIME|SLIDE_LIST|SLIDE|SLIDE_NUMBER|NOTE|ASCENDING|DURATION_MINUTES|"
                     "DURATION_SECONDS|WARNING|AUTO_NEXT_SLIDE)>)"),
      QRegularExpression::CaseInsensitiveOption);
  return tag;
}

}  // namespace

QString BreakNotesFileTags(QStringView value) {
  QString text = SanitizeText(value);
  text.replace(fileTag(), QStringLiteral("< \\1"));
  return text;
}

namespace {

// One value element. Its value cannot end the element early or open another one.
QString element(QStringView name, QStringView value) {
  return MakeXmlElement(name, BreakNotesFileTags(value), true, false);
}

QString slideElement(qint32 number, const SlideRecord& slide) {
  QString text;
  text += element(u"SLIDE_NUMBER", QString::number(number));
  text += element(u"TITLE", slide.Title);
  text += element(u"NOTE", slide.Note);
  text += element(u"ASCENDING", booleanWord(slide.Ascending));
  text += element(u"DURATION_MINUTES", QString::number(slide.DurationMinutes));
  text += element(u"DURATION_SECONDS", QString::number(slide.DurationSeconds));
  text += element(u"WARNING", booleanWord(slide.Warning));
  text += element(u"AUTO_NEXT_SLIDE", booleanWord(slide.AutoNextSlide));
  // The slide's own elements are the value here: their tags stay whole.
  return MakeXmlElement(u"SLIDE", text, true, false);
}

}  // namespace

QString BuildNotesXml(const PresentationModel& model) {
  QString header;
  header += element(u"TITLE", model.PresentationTitle);
  header += element(u"FILE_NAME", model.PresentationFileName);
  header += element(u"PATH_FILENAME", model.PresentationPath);
  header += element(u"SLIDE_COUNT", QString::number(model.SlideCount));
  header += element(u"TOTAL_TIME", QString::number(model.TotalTime));

  QString slides;
  // Only the records the model holds can be written, whatever SlideCount claims.
  const auto held = static_cast<qint64>(model.Slides.size()) - 1;
  for (qint32 i = 1; i <= model.SlideCount && i <= held; ++i) {
    slides += slideElement(i, model.Slides[static_cast<std::size_t>(i)]);
  }
  header += MakeXmlElement(u"SLIDE_LIST", slides, true, true);
  return MakeXmlElement(u"PRESENTATION_NOTES", header, true, true);
}

QString NotesFilePath(const PresentationModel& model, const QString& programFolder) {
  if (model.PresentationFileName.isEmpty()) {
    return {};
  }
  return NotesFolder(programFolder) + u'/' + NotesFileName(model.PresentationFileName);
}

QString SaveFailureReason(const QString& path) {
  const QFileInfo file(path);
  const QString folder = QDir::toNativeSeparators(file.absolutePath());
  if (!QFileInfo(file.absolutePath()).isDir()) {
    return QStringLiteral("The notes folder %1 does not exist.").arg(folder);
  }
  if (file.exists()) {
    if (!(file.permissions() & kAnyWrite)) {
      return QStringLiteral("The notes file is read-only.");
    }
    QFile probe(path);
    if (!probe.open(QIODevice::Append)) {
      return QStringLiteral("The notes file cannot be written: %1.").arg(probe.errorString());
    }
  } else {
    // Asked the way the save asked: whether the folder takes a new file from this program now.
    QTemporaryFile probe(file.absolutePath() + QStringLiteral("/.Notes-XXXXXX"));
    if (!probe.open()) {
      return QStringLiteral("No file can be added to the notes folder %1: %2.")
          .arg(folder, probe.errorString());
    }
  }
  return QStringLiteral("The file could not be written in full; the disk may be full.");
}

SaveResult SaveNotesFile(const QString& path, const PresentationModel& model, MessageBoxes& boxes) {
  if (path.isEmpty()) {
    boxes.show(
        MessageBoxIcon::Critical, MessageBoxButtons::Ok,
        QStringLiteral("No associated Presentation Name.  Please\r\nassign a presentation name."),
        QStringLiteral("Presenation Not Saved"));
    return SaveResult::NoPath;
  }
  // A notes file the user made read-only stays as it is, whoever runs the editor.
  if (const QFileInfo existing(path); existing.exists() && !(existing.permissions() & kAnyWrite)) {
    return SaveResult::WriteFailed;
  }
  const QByteArray bytes = windows1252::encode(BuildNotesXml(model) + kCrLf.toString());
  // A failed or interrupted save leaves the previous notes file whole; a notes folder the user may
  // not write can still hold notes files the user may, and those are written in place.
  return ReplaceFileContents(path, bytes) ? SaveResult::Saved : SaveResult::WriteFailed;
}
