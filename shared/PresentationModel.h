#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>
#include <vector>

#include "platform/PresentationProgram.h"

// One slide's entry: what the handheld shows for it and how its time is counted.
struct SlideRecord {
  QString Title;
  QString Note;
  qint32 DurationMinutes = 0;
  qint32 DurationSeconds = 0;
  bool Ascending = false;
  bool Warning = false;
  bool AutoNextSlide = false;

  friend bool operator==(const SlideRecord&, const SlideRecord&) = default;
};

// The presentation in hand. Slides[n] is slide n; element 0 is never used.
struct PresentationModel {
  bool NotesLoaded = false;
  QString PresentationPath;
  QString PresentationFileName;
  QString PresentationTitle;
  qint32 SlideCount = 0;
  qint32 CurrentSlide = 0;
  std::optional<AutomationRef> PowerPointApp;
  std::optional<AutomationRef> PowerPointPresentation;
  qint32 TotalTime = 0;
  bool ShowRunning = false;
  std::vector<SlideRecord> Slides;
};
