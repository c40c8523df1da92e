#pragma once

#include <QString>
#include <QStringView>

#include "platform/EventPump.h"
#include "platform/PresentationProgram.h"
#include "shared/PresentationModel.h"

inline constexpr QStringView kCouldNotInstantiate = u"Could not instantiate PowerPoint.";

// The presentation model and its presentation program: loading, the slide show, closing.
// Every routine here skips a failing step of the program and goes on with the next.
class libPresentation {
 public:
  libPresentation(PresentationProgram& program, EventPump& pump) : program_(program), pump_(pump) {}

  PresentationModel Model;

  // Opens the presentation without a window; with loadSlides reads every slide's title and
  // notes (and with resetTimings gives each slide fresh timings). Returns "" or
  // kCouldNotInstantiate.
  QString LoadPresentation(const QString& path, bool loadSlides, bool resetTimings);
  void StartSlideShow();
  void QuitPresentation();
  void ClosePowerPoint();
  void ResetPresentationModel();
  [[nodiscard]] qint32 TotalPresentationSeconds() const;

  [[nodiscard]] PresentationProgram& program() { return program_; }

 private:
  void releaseApplication();
  void releasePresentation();

  PresentationProgram& program_;
  EventPump& pump_;
};

// The file name part of a path ("\" and "/" both separate); "" for a file directly in a root
// folder ("/talk.ppt", "C:\talk.ppt") or a bare name. Double quotes are removed.
[[nodiscard]] QString FileTitleFromPath(QStringView path);
