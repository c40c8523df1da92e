#pragma once

#include <QString>
#include <optional>

#include "platform/Registry.h"

// The desktop's default web browser, as the registry's "http\shell\open\command" names it, read
// once for the whole agent: the type the handheld is told at start-up and the program that
// "DEFAULT_BROWSER" starts come from the same answer.
class DefaultBrowser {
 public:
  static constexpr auto kCommandKey = u"http\\shell\\open\\command";

  explicit DefaultBrowser(Registry& registry) : registry_(registry) {}

  // "FIREFOX" or "INTERNET_EXPLORER"; set at start-up from DetectDefaultBrowser.
  QString BrowserType;

  // The browser's command: the key's default value when it is a text, "" otherwise (no key, no
  // value, a value of another type). Read at the first call only.
  [[nodiscard]] const QString& Command();
  // "FIREFOX" when the command, upper-cased, names Firefox; "INTERNET_EXPLORER" otherwise.
  [[nodiscard]] QString DetectDefaultBrowser();

 private:
  Registry& registry_;
  std::optional<QString> command_;
};
