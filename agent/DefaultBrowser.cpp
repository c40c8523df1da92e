#include "agent/DefaultBrowser.h"

#include <QVariant>

#include "agent/LibRegistry.h"

const QString& DefaultBrowser::Command() {
  if (!command_) {
    RegistryKey key;
    // A missing key leaves no key open, and the read below then leaves the value empty.
    (void)registry_.openKey(RegistryRoot::ClassesRoot, QString::fromUtf16(kCommandKey),
                            registry::kKeyQueryValue, key);
    QVariant value;
    (void)LibRegistry::QueryRegValueEx(registry_, key, QString(), value);
    // Only a text is a command; a number would start nothing.
    command_ = value.typeId() == QMetaType::QString ? value.toString() : QString();
  }
  return *command_;
}

QString DefaultBrowser::DetectDefaultBrowser() {
  return Command().toUpper().contains(u"FIREFOX") ? QStringLiteral("FIREFOX")
                                                  : QStringLiteral("INTERNET_EXPLORER");
}
