#include "agent/LibSlideMgr.h"

#include <QStringList>
#include <QStringView>
#include <array>
#include <utility>
#include <vector>

#include "agent/FrameText.h"
#include "agent/KeywordTable.h"
#include "agent/Pause.h"
#include "agent/RootFolder.h"
#include "platform/TrimText.h"
#include "shared/NotesReader.h"
#include "shared/PresentationText.h"

namespace {

// A file argument holding one of these, upper-cased, is a presentation, so "pptx" and "ppsx"
// count too. LibreOffice is the presentation program here, so its own format counts as well.
constexpr std::array<QStringView, 3> kPresentationMarks = {u".PPT", u".PPS", u".ODP"};

constexpr QStringView kNoNotesSentence = u"No Notes/Slides defined for this presentation.";

bool isPresentation(const QString& file) {
  const QString upper = file.toUpper();
  for (QStringView mark : kPresentationMarks) {
    if (upper.contains(mark)) {
      return true;
    }
  }
  return false;
}

QString boolText(bool value) { return value ? QStringLiteral("TRUE") : QStringLiteral("FALSE"); }

bool isDotComponent(QStringView part) { return part == u"." || part == u".."; }

}  // namespace

LibSlideMgr::LibSlideMgr(const SlideMgrServices& services, QString programFolder)
    : services_(services), programFolder_(std::move(programFolder)) {}

bool LibSlideMgr::AcceptsDocument(const QString& folder, const QString& file) const {
  return documentPath(folder, file).has_value();
}

void LibSlideMgr::OpenDocument(const QString& folder, const QString& file) {
  (void)openDocument(folder, file);
}

std::optional<QString> LibSlideMgr::documentPath(const QString& folder, const QString& file) const {
  // The handheld's arguments are names below the root folder, never a way out of it: a file
  // name with a separator, or "." or "..", would reach files the user never put up for the
  // handheld, and so would a folder that leads out of the root. Quotes only ever delimited the
  // path for the desktop, so they go first.
  QString unquotedFolder = folder;
  unquotedFolder.remove(u'"');
  QString unquotedFile = file;
  unquotedFile.remove(u'"');
  const std::optional<QString> below = FolderBelowRoot(unquotedFolder);
  if (!below || unquotedFile.isEmpty() || unquotedFile.contains(u'/') ||
      unquotedFile.contains(u'\\') || isDotComponent(unquotedFile) ||
      unquotedFile.contains(QChar(0))) {
    return std::nullopt;
  }
  // No separator between the root and the folder: the root setting ends with its own.
  return services_.settings.RootDirPath + *below + u'/' + unquotedFile;
}

QString LibSlideMgr::notesPathFor(const QString& path) const {
  return NotesFolder(programFolder_) + u'/' + NotesFileName(FileTitleFromPath(path));
}

bool LibSlideMgr::openDocument(const QString& folderArgument, const QString& fileArgument) {
  // Copies: the dispatcher hands in its own fields, which a frame received during one of the
  // waits below overwrites.
  const QString folder = folderArgument;
  const QString file = fileArgument;

  // A refused argument opens nothing and sends nothing, and leaves the model as it was: the
  // handheld asked for something that is not there for it (the dispatcher asks first, through
  // AcceptsDocument; "START" comes here with what was accepted then).
  const std::optional<QString> path = documentPath(folder, file);
  if (!path) {
    return false;
  }
  model().NotesLoaded = false;

  if (const auto window = services_.windows.findOpenWindow(file)) {
    services_.windows.maximizeAndActivate(*window);
    return false;
  }

  const std::optional<PresentationModel> notes = readNotes(notesPathFor(*path));
  model().NotesLoaded = notes.has_value();

  if (isPresentation(file)) {
    openPresentation(*path, notes);
    return false;
  }
  return openOtherDocument(*path, notes);
}

void LibSlideMgr::openPresentation(const QString& path,
                                   const std::optional<PresentationModel>& notes) {
  libPresentation& presentation = services_.presentation;
  ForegroundReports& reports = services_.reports;
  if (!notes) {
    presentation.ResetPresentationModel();
    reports.SuppressNextReport();
    // The result only says whether the program started; the entry below says so to the
    // handheld with a slide count of 0.
    (void)presentation.LoadPresentation(path, true, true);
    reports.SuppressNextReport();
    model().TotalTime = -1;
    presentation.StartSlideShow();
    reports.SuppressNextReport();
    model().CurrentSlide = 1;
    SendSlideNotes(model().CurrentSlide, false);
    Pause(services_.clock, services_.pump, kOpenPauseMs);
  } else {
    reports.SuppressNextReport();
    // The notes file fills the slides; the program only has to open the presentation.
    (void)presentation.LoadPresentation(path, false, false);
    applyNotes(*notes);
    const QString titleBefore = services_.windows.foregroundTitle();
    presentation.StartSlideShow();
    waitForShowWindow(titleBefore);
    reports.SuppressNextReport();
    model().CurrentSlide = 1;
    model().TotalTime = presentation.TotalPresentationSeconds();
    SendSlideNotes(model().CurrentSlide, model().NotesLoaded);
  }
  services_.reply.SendReply(QStringLiteral("CHANGEUI"), QStringLiteral("POWERPOINT"),
                            QStringLiteral("TRUE"));
}

std::optional<PresentationModel> LibSlideMgr::readNotes(const QString& notesPath) const {
  if (!FileExists(notesPath)) {
    return std::nullopt;
  }
  PresentationModel notes;
  LoadNotesFile(notesPath, notes, services_.parser);
  // A file the reader refuses (a slide count it cannot hold, a file cut short before its slides)
  // is no notes file: the presentation then opens as one without notes, its slides counted from
  // the program, and nothing of the previous presentation is sent as this one's.
  if (notes.SlideCount <= 0) {
    return std::nullopt;
  }
  return notes;
}

void LibSlideMgr::applyNotes(const PresentationModel& notes) {
  // What the notes file fills, and only that: the program's references and the show stay.
  PresentationModel& m = model();
  m.PresentationTitle = notes.PresentationTitle;
  m.PresentationFileName = notes.PresentationFileName;
  m.PresentationPath = notes.PresentationPath;
  m.SlideCount = notes.SlideCount;
  m.Slides = notes.Slides;
}

void LibSlideMgr::waitForShowWindow(const QString& titleBefore) {
  // The show window taking the foreground is what makes the first entry line up with what the
  // audience sees. When it never comes (the program failed, another window stays in front), the
  // wait ends after kShowWindowWaitMs and the entry goes out all the same.
  (void)PauseUntil(
      services_.clock, services_.pump, kShowWindowWaitMs, kShowWindowPollMs,
      [this, &titleBefore] { return services_.windows.foregroundTitle() != titleBefore; });
}

bool LibSlideMgr::openOtherDocument(const QString& path,
                                    const std::optional<PresentationModel>& notes) {
  libPresentation& presentation = services_.presentation;
  ForegroundReports& reports = services_.reports;
  presentation.ResetPresentationModel();
  presentation.ClosePowerPoint();
  reports.SuppressNextReport();
  model().CurrentSlide = 1;
  if (notes) {
    applyNotes(*notes);
    SendSlideNotes(model().CurrentSlide, true);
    Pause(services_.clock, services_.pump, kOpenPauseMs);
  }
  reports.SuppressNextReport();
  // The desktop's default application decides how its window shows; asking for it maximised is
  // not something the desktop lets a caller enforce. A failure to open is skipped like every
  // other step here: the foreground timer simply sees no new window.
  (void)services_.shell.openWithDefaultApplication(path);
  Pause(services_.clock, services_.pump, kOpenPauseMs);
  reports.SuppressNextReport();
  return true;
}

void LibSlideMgr::sendKeys(const QString& keys) {
  // The show reacts to the key when it gets it; a rejected key changes nothing on the desktop.
  (void)services_.input.SendKeys(keys, false);
}

void LibSlideMgr::HandlePresentCommand(const QString& command, const QString& /*argument*/) {
  using Handler = void (LibSlideMgr::*)(QStringView command, bool attached);
  struct PresentCommand {
    QStringView name;
    Handler handler;
  };
  static constexpr std::array<PresentCommand, 10> kCommands = {{
      {u"START", &LibSlideMgr::start},
      {u"SEND_NOTES", &LibSlideMgr::sendNotes},
      {u"STOP", &LibSlideMgr::stop},
      {u"HOME", &LibSlideMgr::home},
      {u"LEFT", &LibSlideMgr::previous},
      {u"PGUP", &LibSlideMgr::previous},
      {u"RIGHT", &LibSlideMgr::next},
      {u"PGDN", &LibSlideMgr::next},
      {u"SWITCH", &LibSlideMgr::switchWindow},
      {u"BLANK", &LibSlideMgr::blank},
  }};
  const bool attached = model().PowerPointApp.has_value();
  // The handheld pads its commands with blanks; only spaces count, as its own padding uses them.
  const QString c = TrimSpaces(command).toUpper();
  if (const PresentCommand* entry = FindKeyword(kCommands, c)) {
    (this->*entry->handler)(c, attached);
  }
  services_.pump.ProcessPendingEvents();
}

void LibSlideMgr::start(QStringView /*command*/, bool attached) {
  model().CurrentSlide = 1;
  // Copies: the open below lets frames run, and an "ACTIVATE" among them changes these.
  const QString folder = services_.active.ActiveFolder;
  const QString file = services_.active.ActiveFile;
  if (!attached) {
    services_.reports.SuppressNextReport();
    sendKeys(QStringLiteral("{F5}"));
  } else if (!file.isEmpty() && !folder.isEmpty()) {
    services_.presentation.ClosePowerPoint();
    services_.reports.SuppressNextReport();
    (void)openDocument(folder, file);
    services_.presentation.StartSlideShow();
  }
  model().ShowRunning = true;
}

void LibSlideMgr::sendNotes(QStringView /*command*/, bool /*attached*/) {
  SendSlideNotes(model().CurrentSlide, model().NotesLoaded);
}

void LibSlideMgr::stop(QStringView /*command*/, bool /*attached*/) {
  // The foreground change that ending the show causes is reported to the handheld.
  services_.reports.AllowNextReport();
  sendKeys(QStringLiteral("{ESC}"));
  model().ShowRunning = false;
}

void LibSlideMgr::home(QStringView /*command*/, bool /*attached*/) {
  model().CurrentSlide = 1;
  sendKeys(QStringLiteral("{HOME}"));
  model().ShowRunning = true;
}

void LibSlideMgr::previous(QStringView command, bool attached) {
  sendKeys(u'{' + command.toString() + u'}');
  UpdateCurrentSlide(Direction::Previous, attached);
}

void LibSlideMgr::next(QStringView command, bool attached) {
  sendKeys(u'{' + command.toString() + u'}');
  UpdateCurrentSlide(Direction::Next, attached);
}

void LibSlideMgr::switchWindow(QStringView /*command*/, bool /*attached*/) {
  sendKeys(QStringLiteral("%{ESC}"));
}

void LibSlideMgr::blank(QStringView /*command*/, bool /*attached*/) {
  sendKeys(QStringLiteral("B"));
}

void LibSlideMgr::UpdateCurrentSlide(Direction direction, bool attached) {
  PresentationModel& m = model();
  if (attached) {
    // The application may have gone meanwhile (also during the wait below, which lets frames
    // in); then, as when the program cannot answer, the count stays where it was.
    const auto showSlide = [this, &m]() -> std::optional<qint32> {
      if (!m.PowerPointApp) {
        return std::nullopt;
      }
      return services_.presentation.program().currentShowSlide(*m.PowerPointApp);
    };
    const qint32 before = m.CurrentSlide;
    auto slide = showSlide();
    // The key reaches the show through the desktop's input queue, a moment after it was sent:
    // read at once, the show may still report the slide it is leaving. When a change is due, the
    // show gets up to kShowKeyWaitMs to take the key; a show that stays (an animation step on the
    // same slide) then counts as it reports.
    const bool changeDue = direction == Direction::Next ? before < m.SlideCount : before > 1;
    if (slide && *slide == before && changeDue) {
      (void)PauseUntil(services_.clock, services_.pump, kShowKeyWaitMs, kShowKeyPollMs, [&] {
        const auto now = showSlide();
        if (now) {
          slide = now;
        }
        return !now || *now != before;
      });
    }
    if (slide) {
      m.CurrentSlide = *slide;
    }
    return;
  }
  // Counting never moves the slide the wrong way: a count already at (or past) its bound stays.
  if (direction == Direction::Previous) {
    if (m.CurrentSlide > 1) {
      --m.CurrentSlide;
    }
  } else if (m.CurrentSlide < m.SlideCount) {
    ++m.CurrentSlide;
  }
}

QString LibSlideMgr::BuildSlideInfo(qint32 slide, bool hasNotes) const {
  const PresentationModel& m = model();
  // Element 0 exists in the records and counts as inside them, as it always has.
  if (slide < 0 || static_cast<qsizetype>(slide) >= static_cast<qsizetype>(m.Slides.size())) {
    return {};
  }
  const SlideRecord& record = m.Slides[static_cast<std::size_t>(slide)];
  const qint32 shown = hasNotes ? slide : m.CurrentSlide;
  const QString title = frametext::WithoutFrameEnd(
      hasNotes ? record.Title : QStringLiteral("Slide ") + QString::number(shown));
  const QString note =
      frametext::WithoutFrameEnd(hasNotes ? record.Note : kNoNotesSentence.toString());

  const std::array<std::pair<QStringView, QString>, 10> elements = {{
      {u"CURRENT_SLIDE", QString::number(shown)},
      {u"SLIDE_COUNT", QString::number(m.SlideCount)},
      {u"TITLE", title},
      {u"NOTE", note},
      {u"ASCENDING", boolText(record.Ascending)},
      {u"DURATION_MINUTES", QString::number(record.DurationMinutes)},
      {u"DURATION_SECONDS", QString::number(record.DurationSeconds)},
      {u"WARNING", boolText(record.Warning)},
      {u"AUTO_NEXT_SLIDE", boolText(record.AutoNextSlide)},
      {u"TOTAL_TIME", QString::number(m.TotalTime)},
  }};
  QString body;
  for (const auto& [tag, value] : elements) {
    body += MakeXmlElement(tag, value, false, false);
  }
  return body;
}

void LibSlideMgr::SendSlideNotes(qint32 slide, bool hasNotes) {
  const QString body = BuildSlideInfo(slide, hasNotes);
  if (!body.isEmpty()) {
    // The handheld expects a blank between the entry and the frame's end.
    services_.reply.SendReply(QStringLiteral("PRESNOTE"), QStringLiteral("UPDATE"), body + u' ');
  }
}
