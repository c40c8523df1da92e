#pragma once

#include <QString>
#include <QStringList>

// Starting things on the desktop. Nothing goes through a command shell.
class DesktopShell {
 public:
  // How the started program's window should show, as the callers ask for it.
  enum class WindowStyle { Normal, Maximized };

  virtual ~DesktopShell() = default;

  // Opens a document or an address with the desktop's default application.
  [[nodiscard]] virtual bool openWithDefaultApplication(const QString& pathOrAddress) = 0;
  // Starts `program` (a path or a name on PATH) with `arguments`, detached from the agent.
  [[nodiscard]] virtual bool startProgram(const QString& program, const QStringList& arguments,
                                          WindowStyle style) = 0;
  // The program of the desktop's default web browser, or "" when none is set.
  [[nodiscard]] virtual QString defaultBrowserProgram() = 0;
};
