#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <set>
#include <vector>

#include "platform/PresentationProgram.h"

// A presentation program that plays a script: the presentations it can open, their slides, and
// which calls fail. Every call is recorded by name.
class ScriptedPresentationProgram final : public PresentationProgram {
 public:
  enum class Call {
    CreateApplication,
    OpenPresentation,
    SlideCount,
    SlideTitle,
    SlideNotes,
    RunSlideShow,
    CurrentShowSlide,
    ClosePresentation,
    QuitApplication,
  };

  struct Slide {
    QString title;
    QString notes;
  };

  // What a successful open gives: the slides of the presentation.
  std::vector<Slide> slides;
  // Calls that fail every time.
  std::set<Call> failing;
  // Slide numbers whose title or notes read fails.
  std::set<qint32> failingTitles;
  std::set<qint32> failingNotes;
  qint32 currentSlide = 1;
  // Answers of the current-slide query given before `currentSlide`, first one first: a show
  // that takes a key a few readings late.
  std::deque<qint32> earlierShowSlides;

  // Every call in order, as "name" or "name(argument)".
  QStringList calls;
  std::vector<AutomationRef> released;

  std::optional<AutomationRef> createApplication() override;
  std::optional<AutomationRef> openPresentation(AutomationRef app, const QString& path) override;
  std::optional<qint32> slideCount(AutomationRef presentation) override;
  std::optional<QString> slideTitle(AutomationRef presentation, qint32 slide) override;
  std::optional<QString> slideNotes(AutomationRef presentation, qint32 slide) override;
  bool runSlideShow(AutomationRef presentation) override;
  std::optional<qint32> currentShowSlide(AutomationRef app) override;
  bool closePresentation(AutomationRef presentation) override;
  bool quitApplication(AutomationRef app) override;
  void release(AutomationRef object) override;

 private:
  bool fails(Call call) const { return failing.count(call) != 0; }
  quint64 nextId_ = 1;
};
