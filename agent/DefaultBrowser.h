#pragma once

#include <QString>
#include <optional>

#include "platform/DesktopShell.h"

// The desktop's default web browser, looked up once for the whole agent: the type the handheld
// is told at start-up and the program that "DEFAULT_BROWSER" starts come from the same answer.
class DefaultBrowser {
 public:
  explicit DefaultBrowser(DesktopShell& shell) : shell_(shell) {}

  // "FIREFOX" or "INTERNET_EXPLORER"; set at start-up from DetectDefaultBrowser.
  QString BrowserType;

  // The browser's command: the Exec value of its desktop entry, "" when the desktop names none.
  // Asked of the desktop at the first call only.
  [[nodiscard]] const QString& Command();
  // "FIREFOX" when the command, upper-cased, names Firefox; "INTERNET_EXPLORER" otherwise.
  [[nodiscard]] QString DetectDefaultBrowser();

 private:
  DesktopShell& shell_;
  std::optional<QString> command_;
};
