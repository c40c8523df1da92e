#pragma once

#include <QString>
#include <QStringList>

#include "platform/DesktopShell.h"

// Starting things on a freedesktop.org desktop, never through a shell:
// - openWithDefaultApplication runs `xdg-open` with the path or address as its one argument; a
//   relative path that begins with "-" is passed as "./…" so that it cannot read as an option.
//   True means the opener started: it picks and starts the application on its own, detached.
// - startProgram starts the program (a path, or a name looked up on PATH) with the argument list,
//   detached; a program that cannot be started gives false.
//   The window style cannot be forced on X11: the started program places and sizes its own
//   window, and nothing reliable reaches it before it maps that window. Maximized is passed on
//   as nothing.
// - defaultBrowserProgram asks `xdg-settings get default-web-browser` (bounded by
//   kSettingsWait), finds that desktop entry in the XDG data folders and returns the program of
//   its Exec line (the first word, unquoted); without one, "x-www-browser" when it is on PATH
//   (Debian's alternative for the browser), else "".
class LinuxDesktopShell final : public DesktopShell {
 public:
  // Longest wait for the desktop's settings tool.
  static constexpr int kSettingsWaitMs = 2000;
  // Longest desktop entry read; real ones are a few KiB, mostly translations.
  static constexpr qint64 kMaxDesktopEntryBytes = 1024 * 1024;
  // Longest desktop entry name taken from the settings tool (a file name).
  static constexpr qsizetype kMaxEntryNameLength = 255;

  [[nodiscard]] bool openWithDefaultApplication(const QString& pathOrAddress) override;
  [[nodiscard]] bool startProgram(const QString& program, const QStringList& arguments,
                                  WindowStyle style) override;
  [[nodiscard]] QString defaultBrowserProgram() override;

  // The program of a desktop entry's Exec value: its first word, quotes and escapes resolved;
  // "" when there is none.
  [[nodiscard]] static QString programOfExec(const QString& exec);
};
