#pragma once

#include <QLatin1StringView>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "platform/WindowSystem.h"

// A desktop in memory: top-level windows in the window manager's order, each with a title or
// none that can be read, a foreground window, and the changes asked for.
class FakeWindowSystem final : public WindowSystem {
 public:
  enum class Step { Maximize, Minimize, Raise, Activate, ShowDesktop };

  struct Window {
    WindowHandle handle = 0;
    // Nothing: reading the title fails.
    std::optional<QString> title;
  };

  std::vector<Window> windows;
  WindowHandle foreground = 0;
  std::set<Step> failing;
  // The changes, in order: "maximize(7)", "minimize(7)", "raise(7)", "activate(7)",
  // "showDesktop()".
  QStringList calls;
  int titleReads = 0;
  // Runs before each title read: lets a test change the desktop in the middle of an operation.
  std::function<void(WindowHandle)> onTitleRead;

  void add(WindowHandle handle, std::optional<QString> title) {
    windows.push_back({handle, std::move(title)});
  }

  std::vector<WindowHandle> topLevelWindows() override {
    std::vector<WindowHandle> handles;
    for (const Window& window : windows) {
      handles.push_back(window.handle);
    }
    return handles;
  }

  std::optional<QString> windowTitle(WindowHandle window) override {
    ++titleReads;
    if (onTitleRead) {
      onTitleRead(window);
    }
    for (const Window& w : windows) {
      if (w.handle == window) {
        return w.title;
      }
    }
    return std::nullopt;
  }

  WindowHandle foregroundWindow() override { return foreground; }

  bool maximize(WindowHandle window) override { return change(Step::Maximize, "maximize", window); }
  bool minimize(WindowHandle window) override { return change(Step::Minimize, "minimize", window); }
  bool raiseWithoutActivating(WindowHandle window) override {
    return change(Step::Raise, "raise", window);
  }
  bool activate(WindowHandle window) override { return change(Step::Activate, "activate", window); }
  bool showDesktop() override {
    calls << QStringLiteral("showDesktop()");
    return failing.count(Step::ShowDesktop) == 0;
  }

 private:
  bool change(Step step, const char* name, WindowHandle window) {
    calls << QStringLiteral("%1(%2)").arg(QLatin1StringView(name)).arg(window);
    return failing.count(step) == 0;
  }
};
