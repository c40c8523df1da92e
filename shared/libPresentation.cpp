#include "shared/libPresentation.h"

#include <algorithm>
#include <limits>

void libPresentation::releaseApplication() {
  if (Model.PowerPointApp) {
    program_.release(*Model.PowerPointApp);
    Model.PowerPointApp.reset();
  }
}

void libPresentation::releasePresentation() {
  if (Model.PowerPointPresentation) {
    program_.release(*Model.PowerPointPresentation);
    Model.PowerPointPresentation.reset();
  }
}

QString libPresentation::LoadPresentation(const QString& path, bool loadSlides, bool resetTimings) {
  Model.PresentationPath = path;
  Model.PresentationFileName = FileTitleFromPath(path);

  // A new application object on every call; one held from before is replaced, not quit, and
  // stays in use when the program cannot be reached now.
  if (auto app = program_.createApplication()) {
    releaseApplication();
    Model.PowerPointApp = app;
  }
  pump_.ProcessPendingEvents();
  if (!Model.PowerPointApp) {
    return kCouldNotInstantiate.toString();
  }

  if (auto presentation = program_.openPresentation(*Model.PowerPointApp, path)) {
    releasePresentation();
    Model.PowerPointPresentation = presentation;
  } else {
    return {};
  }

  if (!loadSlides) {
    return {};
  }
  const AutomationRef presentation = *Model.PowerPointPresentation;
  if (auto count = program_.slideCount(presentation); count && *count >= 0) {
    Model.SlideCount = *count;
    Model.Slides.resize(static_cast<std::size_t>(*count) + 1);
  }
  // A slide whose title or notes cannot be read keeps the text read for the slide before it,
  // as the loop below carries it forward.
  QString title;
  QString note;
  for (qint32 i = 1; i <= Model.SlideCount; ++i) {
    if (auto text = program_.slideTitle(presentation, i)) {
      title = *text;
    }
    if (i == 1) {
      Model.PresentationTitle = title;
    }
    if (auto text = program_.slideNotes(presentation, i)) {
      note = *text;
    }
    // The program may have been re-entered through the event loop and shrunk the model.
    if (static_cast<std::size_t>(i) < Model.Slides.size()) {
      SlideRecord& slide = Model.Slides[static_cast<std::size_t>(i)];
      slide.Title = title;
      slide.Note = note;
      if (resetTimings) {
        slide.Ascending = true;
        slide.DurationMinutes = 0;
        slide.DurationSeconds = 0;
        slide.Warning = false;
        slide.AutoNextSlide = false;
      }
    }
    pump_.ProcessPendingEvents();
  }
  pump_.ProcessPendingEvents();
  return {};
}

void libPresentation::StartSlideShow() {
  if (!Model.PowerPointApp) {
    return;
  }
  if (Model.PowerPointPresentation) {
    (void)program_.runSlideShow(*Model.PowerPointPresentation);
  }
  Model.ShowRunning = true;
}

void libPresentation::QuitPresentation() {
  if (Model.PowerPointPresentation) {
    (void)program_.closePresentation(*Model.PowerPointPresentation);
  }
  if (Model.PowerPointApp) {
    (void)program_.quitApplication(*Model.PowerPointApp);
  }
  Model.ShowRunning = false;
  ClosePowerPoint();
}

void libPresentation::ClosePowerPoint() {
  pump_.ProcessPendingEvents();
  if (Model.PowerPointPresentation) {
    (void)program_.closePresentation(*Model.PowerPointPresentation);
    releasePresentation();
  }
  if (Model.PowerPointApp) {
    (void)program_.quitApplication(*Model.PowerPointApp);
    releaseApplication();
  }
  Model.ShowRunning = false;
}

void libPresentation::ResetPresentationModel() {
  releaseApplication();
  releasePresentation();
  Model.Slides.assign(2, SlideRecord{});
  Model.SlideCount = 0;
  Model.TotalTime = -1;
  Model.PresentationPath.clear();
  Model.PresentationFileName.clear();
  Model.PresentationTitle.clear();
  Model.ShowRunning = false;
}

qint32 libPresentation::TotalPresentationSeconds() const {
  qint64 total = 0;
  const auto last =
      std::min<qint64>(Model.SlideCount, static_cast<qint64>(Model.Slides.size()) - 1);
  for (qint64 i = 1; i <= last; ++i) {
    const SlideRecord& slide = Model.Slides[static_cast<std::size_t>(i)];
    const qint64 seconds = qint64{slide.DurationMinutes} * 60 + slide.DurationSeconds;
    if (seconds < 1) {
      return -1;
    }
    total += seconds;
  }
  if (total < 1 || total > std::numeric_limits<qint32>::max()) {
    return -1;
  }
  return static_cast<qint32>(total);
}

namespace {

bool isSeparator(QChar c) { return c == u'\\' || c == u'/'; }

// How many leading characters form the root folder: "C:\" and "/" count as roots.
qsizetype rootLength(QStringView path) {
  if (path.size() >= 3 && path[0].isLetter() && path[1] == u':' && isSeparator(path[2])) {
    return 3;
  }
  if (!path.isEmpty() && isSeparator(path[0])) {
    return 1;
  }
  return 0;
}

}  // namespace

QString FileTitleFromPath(QStringView path) {
  QString unquoted = path.toString();
  unquoted.remove(u'"');
  qsizetype last = -1;
  for (qsizetype i = unquoted.size() - 1; i >= 0; --i) {
    if (isSeparator(unquoted[i])) {
      last = i;
      break;
    }
  }
  // A bare name, or a file directly in the root, has no title.
  if (last < 0 || last + 1 <= rootLength(unquoted)) {
    return {};
  }
  return unquoted.mid(last + 1);
}
