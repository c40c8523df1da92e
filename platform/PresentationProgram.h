#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// A reference to an object of the presentation program: its application or one open
// presentation. Zero never names an object.
struct AutomationRef {
  quint64 id = 0;
  friend bool operator==(const AutomationRef&, const AutomationRef&) = default;
};

// The presentation program, driven by automation. Every call may fail; a failure is reported as
// an empty optional or false and leaves the program as it was. Nothing here throws.
class PresentationProgram {
 public:
  virtual ~PresentationProgram() = default;

  // Starts the program (or reaches the running one) and gives its application object.
  [[nodiscard]] virtual std::optional<AutomationRef> createApplication() = 0;
  // Opens the presentation at `path` without a window of its own.
  [[nodiscard]] virtual std::optional<AutomationRef> openPresentation(AutomationRef app,
                                                                      const QString& path) = 0;
  [[nodiscard]] virtual std::optional<qint32> slideCount(AutomationRef presentation) = 0;
  // The text of slide `slide`'s title placeholder (1-based slide number).
  [[nodiscard]] virtual std::optional<QString> slideTitle(AutomationRef presentation,
                                                          qint32 slide) = 0;
  // The text of the speaker-notes shape of slide `slide`'s notes page.
  [[nodiscard]] virtual std::optional<QString> slideNotes(AutomationRef presentation,
                                                          qint32 slide) = 0;
  [[nodiscard]] virtual bool runSlideShow(AutomationRef presentation) = 0;
  // The slide the running show of the application's active presentation displays.
  [[nodiscard]] virtual std::optional<qint32> currentShowSlide(AutomationRef app) = 0;
  [[nodiscard]] virtual bool closePresentation(AutomationRef presentation) = 0;
  [[nodiscard]] virtual bool quitApplication(AutomationRef app) = 0;
  // The caller drops its reference without closing or quitting anything.
  virtual void release(AutomationRef object) = 0;
};
