#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

#include "shared/libPresentation.h"

namespace quenlow {

class frmMain;

// The editor's slide list and detail panel over the presentation model: which slide the panel
// shows, storing the panel back into it, new presentations, adding and removing slides, and the
// total time in the status bar. It works on the main window's controls.
class LibSlideMgr {
 public:
  LibSlideMgr(frmMain& window, libPresentation& presentation);

  // The notes changed since they were created, opened or saved.
  bool PresentationModified = false;
  // The slide the panel shows and is stored into; 0 = none.
  qint32 DisplayedSlide = 0;

  void RefreshSlideList();
  void ClearSlideDetails();
  void ShowSlide(qint32 n);
  void StoreSlideFields(qint32 n);
  void NewPresentation();
  void AddSlide();
  void RemoveSlide();
  // "H Hrs.  M Min." with the leading blanks of the number texts; no value when the sum of the
  // durations leaves the 32-bit range.
  [[nodiscard]] std::optional<QString> FormatTotalTime() const;
  void UpdateTotalTime();
  void EnableSlideControls(bool enable);

  [[nodiscard]] PresentationModel& model() { return presentation_.Model; }

 private:
  frmMain& window_;
  libPresentation& presentation_;
};

}  // namespace quenlow
