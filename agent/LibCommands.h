#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <vector>

#include "agent/CommandActions.h"
#include "agent/DefaultBrowser.h"
#include "agent/LibSettings.h"
#include "agent/ReplySender.h"
#include "platform/DesktopShell.h"
#include "platform/EventPump.h"
#include "platform/TickClock.h"
#include "platform/WindowSystem.h"

// What the window, program and folder commands run on, all owned elsewhere.
struct CommandsServices {
  WindowSystem& windows;
  DesktopShell& shell;
  ReplySender& reply;
  LibSettings& settings;  // RootDirPath
  DefaultBrowser& browser;
  const TickClock& clock;
  EventPump& pump;
};

// Windows, programs and folders for the handheld: a snapshot of the titled top-level windows,
// the folder listing of "DIRLIST" and the program start of "LOADAPP".
class LibCommands final : public WindowActions {
 public:
  // ShowWindow codes the dispatcher passes.
  static constexpr qint32 kShowNormal = 1;
  static constexpr qint32 kShowMaximized = 3;
  // Lets the started program put up its window before the next frame is handled.
  static constexpr qint32 kLaunchPauseMs = 500;
  // A desktop with more windows than this is listed up to here.
  static constexpr qsizetype kWindowListLimit = 10000;
  // The longest run of space-separated words tried as one program path.
  static constexpr qsizetype kProgramPathWords = 64;

  struct WindowEntry {
    QString title;
    WindowHandle handle = 0;
  };

  explicit LibCommands(const CommandsServices& services);

  // Rebuilds the snapshot of titled top-level windows.
  void ListTopLevelWindows();
  // Adds one window to the snapshot when it has a title; always true (the listing goes on).
  bool EnumWindowsProc(WindowHandle window);
  // The first entry whose title holds `name` (case-sensitive), -1 for none; "" is in every title.
  [[nodiscard]] qint32 FindWindowEntry(const QString& name) const;
  // "A" when a window of the snapshot holds the name in its title, else "I".
  [[nodiscard]] QString OpenWindowFlag(const QString& name) const;
  // Lists a folder below the root and sends "DIRLIST"; true when the frame went out.
  bool SendDirListFrame(const QString& folder);
  void MoveWindowToTop(WindowHandle window);
  // Makes the window the foreground window, as a task bar does.
  void ActivateWindow(WindowHandle window);

  // WindowActions
  [[nodiscard]] quint64 ForegroundWindow() override;
  void MinimizeWindow(quint64 window) override;
  void MaximizeWindow(quint64 window) override;
  void LaunchProgram(const QString& command, qint32 windowStyle) override;
  void SendDirList(const QString& folder) override;

  // The snapshot, top of the stacking order first.
  std::vector<WindowEntry> WindowListBox;

 private:
  // The names of the files the listing shows, ascending; none when the folder is not one the
  // handheld may see or cannot be read.
  [[nodiscard]] QStringList listedFiles(const QString& folder) const;
  void startBrowser(DesktopShell::WindowStyle style);

  CommandsServices services_;
};
