#pragma once

#include <QString>
#include <QStringList>

#include "platform/DesktopShell.h"

// Starting things on a freedesktop.org desktop, never through a shell:
// - openWithDefaultApplication runs `xdg-open` with the path or address as its one argument; a
//   relative path that begins with "-" is passed as "./…" so that it cannot read as an option.
//   True means the opener started: it picks and starts the application on its own, detached.
//   A desktop entry file (a path or file: URL ending in ".desktop") is launched as the
//   application it describes instead, since the opener would show it in a text editor: its
//   [Desktop Entry] group must say Type=Application, not Hidden=true, and hold an Exec value that
//   DesktopEntryExec takes apart; the program starts detached in the entry's Path folder when it
//   names one.
// - startProgram starts the program (a path, or a name looked up on PATH) with the argument list,
//   detached; a program that cannot be started gives false.
//   The window style cannot be forced on X11: the started program places and sizes its own
//   window, and nothing reliable reaches it before it maps that window. Maximized is passed on
//   as nothing.
// - defaultBrowserCommand asks `xdg-settings get default-web-browser` (bounded by
//   kSettingsWaitMs), finds that desktop entry in the XDG data folders and returns the Exec value
//   of its [Desktop Entry] group, the general escapes of a string value resolved; a value that
//   DesktopEntryExec cannot take apart counts as none. Without one, "x-www-browser %u" when
//   x-www-browser is on PATH (Debian's alternative for the browser), else "".
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
  [[nodiscard]] QString defaultBrowserCommand() override;
};
