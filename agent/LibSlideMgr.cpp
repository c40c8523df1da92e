#include "agent/LibSlideMgr.h"

#include <QStringList>
#include <QStringView>
#include <array>
#include <utility>
#include <vector>

#include "agent/Pause.h"
#include "shared/NotesReader.h"
#include "shared/PendingEvents.h"
#include "shared/PresentationText.h"
#include "shared/TrimSpaces.h"

namespace {

// A file argument holding one of these, upper-cased, is a presentation, so "pptx" and "ppsx"
// count too. LibreOffice is the presentation program here, so its own format counts as well.
constexpr std::array<QStringView, 3> kPresentationMarks = {u".PPT", u".PPS", u".ODP"};

constexpr QLatin1StringView kChangeUiFrame("<<CHANGEUI|POWERPOINT|TRUE>>");
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

void LibSlideMgr::OpenDocument(const QString& folder, const QString& file) {
  (void)openDocument(folder, file);
}

std::optional<QString> LibSlideMgr::documentPath(const QString& folder, const QString& file) const {
  // The handheld's arguments are names below the root folder, never a way out of it: a file
  // name with a separator, a "." or ".." anywhere, or a folder that starts at a root would reach
  // files the user never put up for the handheld. A NUL would cut the name short on the way to
  // the file system. Quotes only ever delimited the path for the desktop, so they go first.
  QString unquotedFolder = folder;
  unquotedFolder.remove(u'"');
  QString unquotedFile = file;
  unquotedFile.remove(u'"');
  // The handheld writes its folders with "\", which is "/" here.
  unquotedFolder.replace(u'\\', u'/');

  if (unquotedFile.isEmpty() || unquotedFile.contains(u'/') || unquotedFile.contains(u'\\') ||
      isDotComponent(unquotedFile) || unquotedFile.contains(QChar(0)) ||
      unquotedFolder.contains(QChar(0)) || unquotedFolder.startsWith(u'/')) {
    return std::nullopt;
  }
  for (QStringView part : QStringView(unquotedFolder).split(u'/')) {
    if (part == u"..") {
      return std::nullopt;
    }
  }
  // No separator between the root and the folder: the root setting ends with its own.
  return services_.settings.RootDirPath + unquotedFolder + u'/' + unquotedFile;
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
  // handheld asked for something that is not there for it.
  const std::optional<QString> path = documentPath(folder, file);
  if (!path) {
    return false;
  }
  model().NotesLoaded = false;

  if (const auto window = services_.windows.findOpenWindow(file)) {
    services_.windows.maximizeAndRaise(*window);
    return false;
  }

  const QString notesPath = notesPathFor(*path);
  model().NotesLoaded = FileExists(notesPath);

  if (isPresentation(file)) {
    openPresentation(*path, notesPath);
    return false;
  }
  return openOtherDocument(*path, notesPath);
}

void LibSlideMgr::openPresentation(const QString& path, const QString& notesPath) {
  libPresentation& presentation = services_.presentation;
  AgentFlags& flags = services_.flags;
  if (!model().NotesLoaded) {
    presentation.ResetPresentationModel();
    flags.SuppressWindowNotify = true;
    // The result only says whether the program started; the entry below says so to the
    // handheld with a slide count of 0.
    (void)presentation.LoadPresentation(path, true, true);
    flags.SuppressWindowNotify = true;
    model().TotalTime = -1;
    presentation.StartSlideShow();
    flags.SuppressWindowNotify = true;
    model().CurrentSlide = 1;
    SendSlideNotes(model().CurrentSlide, false);
    Pause(services_.clock, kOpenPauseMs);
  } else {
    flags.SuppressWindowNotify = true;
    // The notes file fills the slides; the program only has to open the presentation.
    (void)presentation.LoadPresentation(path, false, false);
    LoadNotesFile(notesPath, model(), services_.parser);
    const QString titleBefore = services_.windows.foregroundTitle();
    presentation.StartSlideShow();
    waitForShowWindow(titleBefore);
    flags.SuppressWindowNotify = true;
    model().CurrentSlide = 1;
    model().TotalTime = presentation.TotalPresentationSeconds();
    SendSlideNotes(model().CurrentSlide, model().NotesLoaded);
  }
  (void)services_.general.SendToDevice(QString(kChangeUiFrame));
}

void LibSlideMgr::waitForShowWindow(const QString& titleBefore) {
  // The show window taking the foreground is what makes the first entry line up with what the
  // audience sees. When it never comes (the program failed, another window stays in front), the
  // wait ends after kShowWindowWaitMs and the entry goes out all the same.
  (void)PauseUntil(services_.clock, kShowWindowWaitMs, kShowWindowPollMs, [this, &titleBefore] {
    return services_.windows.foregroundTitle() != titleBefore;
  });
}

bool LibSlideMgr::openOtherDocument(const QString& path, const QString& notesPath) {
  libPresentation& presentation = services_.presentation;
  AgentFlags& flags = services_.flags;
  presentation.ResetPresentationModel();
  presentation.ClosePowerPoint();
  flags.SuppressWindowNotify = true;
  model().CurrentSlide = 1;
  if (model().NotesLoaded) {
    LoadNotesFile(notesPath, model(), services_.parser);
    SendSlideNotes(model().CurrentSlide, true);
    Pause(services_.clock, kOpenPauseMs);
  }
  flags.SuppressWindowNotify = true;
  // The desktop's default application decides how its window shows; asking for it maximised is
  // not something the desktop lets a caller enforce. A failure to open is skipped like every
  // other step here: the foreground timer simply sees no new window.
  (void)services_.shell.openWithDefaultApplication(path);
  Pause(services_.clock, kOpenPauseMs);
  flags.SuppressWindowNotify = true;
  return true;
}

void LibSlideMgr::sendKeys(const QString& keys) {
  // The show reacts to the key when it gets it; a rejected key changes nothing on the desktop.
  (void)services_.input.SendKeys(keys, false);
}

void LibSlideMgr::HandlePresentCommand(const QString& command, const QString& /*argument*/) {
  const bool attached = model().PowerPointApp.has_value();
  // The handheld pads its commands with blanks; only spaces count, as its own padding uses them.
  const QString c = TrimSpaces(command).toUpper();
  AgentFlags& flags = services_.flags;

  if (c == u"START") {
    model().CurrentSlide = 1;
    // Copies: the open below lets frames run, and an "ACTIVATE" among them changes these.
    const QString folder = services_.general.ActiveFolder;
    const QString file = services_.general.ActiveFile;
    if (!attached) {
      flags.SuppressWindowNotify = true;
      sendKeys(QStringLiteral("{F5}"));
    } else if (!file.isEmpty() && !folder.isEmpty()) {
      services_.presentation.ClosePowerPoint();
      flags.SuppressWindowNotify = true;
      (void)openDocument(folder, file);
      services_.presentation.StartSlideShow();
    }
    model().ShowRunning = true;
  } else if (c == u"SEND_NOTES") {
    SendSlideNotes(model().CurrentSlide, model().NotesLoaded);
  } else if (c == u"STOP") {
    // The foreground change that ending the show causes is reported to the handheld.
    flags.SuppressWindowNotify = false;
    sendKeys(QStringLiteral("{ESC}"));
    model().ShowRunning = false;
  } else if (c == u"HOME") {
    model().CurrentSlide = 1;
    sendKeys(QStringLiteral("{HOME}"));
    model().ShowRunning = true;
  } else if (c == u"LEFT" || c == u"PGUP") {
    sendKeys(QStringLiteral("{") + c + u'}');
    UpdateCurrentSlide(Direction::Previous, attached);
  } else if (c == u"RIGHT" || c == u"PGDN") {
    sendKeys(QStringLiteral("{") + c + u'}');
    UpdateCurrentSlide(Direction::Next, attached);
  } else if (c == u"SWITCH") {
    sendKeys(QStringLiteral("%{ESC}"));
  } else if (c == u"BLANK") {
    sendKeys(QStringLiteral("B"));
  }
  ProcessPendingEvents();
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
      (void)PauseUntil(services_.clock, kShowKeyWaitMs, kShowKeyPollMs, [&] {
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

namespace {

// The handheld takes the first ">>" after "<<" for the end of the frame, so a title or note that
// holds ">>", or starts with ">" (which meets its tag's own ">"), would cut the entry short and
// leave the rest as junk on the line. Such a ">" goes out as a space, as an unprintable character
// does; a lone ">" inside the text ("a -> b") stays.
QString withoutFrameEnd(QString text) {
  std::vector<qsizetype> ends;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text.at(i) == u'>' &&
        (i == 0 || text.at(i - 1) == u'>' || (i + 1 < text.size() && text.at(i + 1) == u'>'))) {
      ends.push_back(i);
    }
  }
  for (const qsizetype i : ends) {
    text[i] = u' ';
  }
  return text;
}

}  // namespace

QString LibSlideMgr::BuildSlideInfo(qint32 slide, bool hasNotes) const {
  const PresentationModel& m = model();
  // Element 0 exists in the records and counts as inside them, as it always has.
  if (slide < 0 || static_cast<qsizetype>(slide) >= static_cast<qsizetype>(m.Slides.size())) {
    return {};
  }
  const SlideRecord& record = m.Slides[static_cast<std::size_t>(slide)];
  const qint32 shown = hasNotes ? slide : m.CurrentSlide;
  const QString title =
      withoutFrameEnd(hasNotes ? record.Title : QStringLiteral("Slide ") + QString::number(shown));
  const QString note = withoutFrameEnd(hasNotes ? record.Note : kNoNotesSentence.toString());

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
    services_.general.SendReply(QStringLiteral("PRESNOTE"), QStringLiteral("UPDATE"), body + u' ');
  }
}
