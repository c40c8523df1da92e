#pragma once

#include <QString>
#include <QStringList>

// Starting things on the desktop. Nothing goes through a command shell.
class DesktopShell {
 public:
  // How the started program's window should show, as the callers ask for it.
  enum class WindowStyle { Normal, Maximized };

  virtual ~DesktopShell() = default;

  // Opens a document, a folder or an address with the desktop's default application for it; a
  // desktop entry file (".desktop") is launched as the application it describes.
  [[nodiscard]] virtual bool openWithDefaultApplication(const QString& pathOrAddress) = 0;
  // Starts `program` (a path or a name on PATH) with `arguments`, detached from the agent.
  [[nodiscard]] virtual bool startProgram(const QString& program, const QStringList& arguments,
                                          WindowStyle style) = 0;
  // The command of the desktop's default web browser: the Exec value of its desktop entry, as
  // written there (see DesktopEntryExec for taking it apart); "" when none is set.
  [[nodiscard]] virtual QString defaultBrowserCommand() = 0;
};
