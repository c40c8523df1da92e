#include "agent/DefaultBrowser.h"

const QString& DefaultBrowser::Command() {
  if (!command_) {
    command_ = shell_.defaultBrowserCommand();
  }
  return *command_;
}

QString DefaultBrowser::DetectDefaultBrowser() {
  return Command().toUpper().contains(u"FIREFOX") ? QStringLiteral("FIREFOX")
                                                  : QStringLiteral("INTERNET_EXPLORER");
}
