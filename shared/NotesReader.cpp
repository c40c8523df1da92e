#include "shared/NotesReader.h"

#include <QFile>
#include <QFileInfo>

#include "platform/Windows1252.h"
#include "shared/Limits.h"
#include "shared/NumberText.h"
#include "shared/PresentationText.h"

QString NotesFileName(QStringView presentationFileName) {
  return QStringLiteral("Notes_") + presentationFileName.toString() + QStringLiteral(".xml");
}

QString PresentationsFolder(const QString& programFolder) {
  return programFolder + QStringLiteral("/Shared/Presentations");
}

QString NotesFolder(const QString& programFolder) {
  return PresentationsFolder(programFolder) + QStringLiteral("/Notes");
}

bool FileExists(const QString& path) {
  const QFileInfo info(path);
  return info.isFile() && info.size() > 0;
}

void LoadNotesFile(const QString& path, PresentationModel& model, LibParser& parser) {
  const QFileInfo info(path);
  const qint64 length = info.isFile() ? info.size() : 0;
  if (length <= 0 || length > limits::kMaxNotesFileBytes) {
    return;
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    return;
  }
  const QByteArray bytes = file.read(length);
  file.close();
  if (bytes.isEmpty()) {
    return;
  }
  ParseNotesXml(windows1252::decode(bytes), model, parser);
}

namespace {

// The value of the element `name` in `text`, searched from the start; nullopt when the search
// itself fails (an empty text).
std::optional<QString> elementValue(LibParser& parser, QStringView text, QStringView name) {
  return parser.GetTextBetween(0, text, XmlOpenTag(name), XmlCloseTag(name));
}

// The per-slide reads: each one that fails or does not convert leaves its field as it is.
void readSlide(LibParser& parser, QStringView slideText, SlideRecord& slide) {
  if (auto v = elementValue(parser, slideText, u"TITLE")) {
    slide.Title = SanitizeText(*v);
  }
  if (auto v = elementValue(parser, slideText, u"NOTE")) {
    slide.Note = SanitizeText(*v);
  }
  const auto readBoolean = [&](QStringView name, bool& field) {
    if (auto v = elementValue(parser, slideText, name)) {
      if (auto b = numbertext::toBoolean(*v)) {
        field = *b;
      }
    }
  };
  const auto readWhole = [&](QStringView name, qint32& field) {
    if (auto v = elementValue(parser, slideText, name)) {
      if (auto n = numbertext::toWholeNumber(*v)) {
        field = *n;
      }
    }
  };
  readBoolean(u"ASCENDING", slide.Ascending);
  readWhole(u"DURATION_MINUTES", slide.DurationMinutes);
  readWhole(u"DURATION_SECONDS", slide.DurationSeconds);
  readBoolean(u"WARNING", slide.Warning);
  readBoolean(u"AUTO_NEXT_SLIDE", slide.AutoNextSlide);
}

// A slide count the text could hold: not negative, within the program's bound, and with room
// for that many SLIDE elements.
bool plausibleSlideCount(qint32 count, qsizetype textLength) {
  return count >= 0 && count <= limits::kMaxSlideCount &&
         qint64{count} <= textLength / limits::kMinSlideElementChars;
}

}  // namespace

void ParseNotesXml(QStringView text, PresentationModel& model, LibParser& parser) {
  auto title = elementValue(parser, text, u"TITLE");
  if (!title) {
    return;
  }
  model.PresentationTitle = SanitizeText(*title);
  auto fileName = elementValue(parser, text, u"FILE_NAME");
  if (!fileName) {
    return;
  }
  model.PresentationFileName = *fileName;
  auto path = elementValue(parser, text, u"PATH_FILENAME");
  if (!path) {
    return;
  }
  model.PresentationPath = *path;
  auto countText = elementValue(parser, text, u"SLIDE_COUNT");
  if (!countText) {
    return;
  }
  const auto count = numbertext::toInt32(numbertext::readNumber(*countText));
  if (!count || !plausibleSlideCount(*count, text.size())) {
    return;
  }
  model.SlideCount = *count;
  model.Slides.assign(static_cast<std::size_t>(*count) + 1, SlideRecord{});

  const QString openSlide = XmlOpenTag(u"SLIDE");
  const QString closeSlide = XmlCloseTag(u"SLIDE");
  for (qint32 i = 1; i <= *count; ++i) {
    const qint32 before = parser.ScanPos;
    const auto slideText = parser.GetTextBetween(parser.ScanPos, text, openSlide, closeSlide);
    if (!slideText || parser.ScanPos == before) {
      // Not found from here: no later search from the same place can find one either, so the
      // remaining records stay new.
      break;
    }
    const qint32 saved = parser.ScanPos;
    readSlide(parser, *slideText, model.Slides[static_cast<std::size_t>(i)]);
    parser.ScanPos = saved;
  }
}
