#include "tests/support/ScriptedPresentationProgram.h"

std::optional<AutomationRef> ScriptedPresentationProgram::createApplication() {
  calls << QStringLiteral("createApplication");
  if (fails(Call::CreateApplication)) {
    return std::nullopt;
  }
  return AutomationRef{nextId_++};
}

std::optional<AutomationRef> ScriptedPresentationProgram::openPresentation(AutomationRef,
                                                                           const QString& path) {
  calls << QStringLiteral("openPresentation(%1)").arg(path);
  if (fails(Call::OpenPresentation)) {
    return std::nullopt;
  }
  return AutomationRef{nextId_++};
}

std::optional<qint32> ScriptedPresentationProgram::slideCount(AutomationRef) {
  calls << QStringLiteral("slideCount");
  if (fails(Call::SlideCount)) {
    return std::nullopt;
  }
  return static_cast<qint32>(slides.size());
}

std::optional<QString> ScriptedPresentationProgram::slideTitle(AutomationRef, qint32 slide) {
  calls << QStringLiteral("slideTitle(%1)").arg(slide);
  if (fails(Call::SlideTitle) || failingTitles.count(slide) != 0 || slide < 1 ||
      static_cast<std::size_t>(slide) > slides.size()) {
    return std::nullopt;
  }
  return slides[static_cast<std::size_t>(slide) - 1].title;
}

std::optional<QString> ScriptedPresentationProgram::slideNotes(AutomationRef, qint32 slide) {
  calls << QStringLiteral("slideNotes(%1)").arg(slide);
  if (fails(Call::SlideNotes) || failingNotes.count(slide) != 0 || slide < 1 ||
      static_cast<std::size_t>(slide) > slides.size()) {
    return std::nullopt;
  }
  return slides[static_cast<std::size_t>(slide) - 1].notes;
}

bool ScriptedPresentationProgram::runSlideShow(AutomationRef) {
  calls << QStringLiteral("runSlideShow");
  return !fails(Call::RunSlideShow);
}

std::optional<qint32> ScriptedPresentationProgram::currentShowSlide(AutomationRef) {
  calls << QStringLiteral("currentShowSlide");
  if (fails(Call::CurrentShowSlide)) {
    return std::nullopt;
  }
  if (!earlierShowSlides.empty()) {
    const qint32 earlier = earlierShowSlides.front();
    earlierShowSlides.pop_front();
    return earlier;
  }
  return currentSlide;
}

bool ScriptedPresentationProgram::closePresentation(AutomationRef) {
  calls << QStringLiteral("closePresentation");
  return !fails(Call::ClosePresentation);
}

bool ScriptedPresentationProgram::quitApplication(AutomationRef) {
  calls << QStringLiteral("quitApplication");
  return !fails(Call::QuitApplication);
}

void ScriptedPresentationProgram::release(AutomationRef object) { released.push_back(object); }
