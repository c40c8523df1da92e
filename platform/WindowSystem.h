#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>
#include <vector>

// A top-level window of the desktop; 0 names none.
using WindowHandle = quint64;

// The desktop's windows: the list of top-level windows, their titles, the foreground window, and
// the few changes the agent makes to them. Every call may fail: a failure is an empty optional,
// false or 0, and leaves the desktop as it was.
class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  // Every top-level client window, titled or not, visible or not, top of the stacking order
  // first.
  [[nodiscard]] virtual std::vector<WindowHandle> topLevelWindows() = 0;
  // The window's title as text; nothing when it cannot be read.
  [[nodiscard]] virtual std::optional<QString> windowTitle(WindowHandle window) = 0;
  [[nodiscard]] virtual WindowHandle foregroundWindow() = 0;
  [[nodiscard]] virtual bool maximize(WindowHandle window) = 0;
  [[nodiscard]] virtual bool minimize(WindowHandle window) = 0;
  // To the top of the stacking order, keeping its size and place, without activating it.
  [[nodiscard]] virtual bool raiseWithoutActivating(WindowHandle window) = 0;
  // Makes the window the foreground window, with the keyboard focus, as a task bar does when
  // the user picks it; an iconified window comes back first.
  [[nodiscard]] virtual bool activate(WindowHandle window) = 0;
  // Asks the window manager to show the desktop (every window out of the way); false, with
  // nothing asked, when the manager offers no such request.
  [[nodiscard]] virtual bool showDesktop() = 0;
};
