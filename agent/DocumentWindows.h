#pragma once

#include <QString>
#include <optional>

#include "platform/WindowSystem.h"

// The few things document opening needs from the desktop's windows. The agent's context answers
// them from its window list; tests answer them from a script.
class DocumentWindows {
 public:
  virtual ~DocumentWindows() = default;

  // Lists the top-level windows afresh and gives the first one whose title contains `fileName`
  // (case-sensitive); nothing when no title does.
  [[nodiscard]] virtual std::optional<WindowHandle> findOpenWindow(const QString& fileName) = 0;
  // Maximises the window and makes it the foreground window, so that keys go to it.
  virtual void maximizeAndActivate(WindowHandle window) = 0;
  // The title of the foreground window; "" when there is none or it cannot be read.
  [[nodiscard]] virtual QString foregroundTitle() = 0;
};
