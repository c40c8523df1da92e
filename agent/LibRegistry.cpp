#include "agent/LibRegistry.h"

#include <utility>

namespace {

// The system's description of a registry error, for the message that names it.
QString statusDescription(RegistryStatus status) {
  switch (status) {
    case registry::kAccessDenied:
      return QStringLiteral("Access is denied.");
    case registry::kInvalidHandle:
      return QStringLiteral("The handle is invalid.");
    case registry::kInvalidParameter:
      return QStringLiteral("The parameter is incorrect.");
    default:
      return QStringLiteral("Registry error %1.").arg(status);
  }
}

}  // namespace

LibRegistry::LibRegistry(Registry& registry, MessageBoxes& boxes, QString programFolder,
                         std::function<void(bool)> setRunStartupChecked)
    : registry_(registry),
      boxes_(boxes),
      programFolder_(std::move(programFolder)),
      setRunStartupChecked_(std::move(setRunStartupChecked)) {}

void LibRegistry::CreateRegKey(const QString& keyPath, RegistryRoot root) {
  RegistryKey key;
  (void)registry_.createKey(root, keyPath, registry::kKeyAllRights, key);
}

RegistryStatus LibRegistry::SetRegValueEx(Registry& registry, const RegistryKey& key,
                                          const QString& valueName, quint32 type,
                                          const QVariant& value) {
  if (type == registry::kRegSz) {
    return registry.setValue(key, valueName, RegistryValue{type, value.toString(), 0});
  }
  if (type == registry::kRegDword) {
    return registry.setValue(key, valueName,
                             RegistryValue{type, QString(), static_cast<quint32>(value.toInt())});
  }
  return registry::kSuccess;
}

RegistryStatus LibRegistry::QueryRegValueEx(Registry& registry, const RegistryKey& key,
                                            const QString& valueName, QVariant& value) {
  RegistryValue read;
  const RegistryStatus status = registry.queryValue(key, valueName, read);
  if (status != registry::kSuccess) {
    return status;
  }
  if (read.type == registry::kRegSz) {
    value = read.text;
    return status;
  }
  if (read.type == registry::kRegDword) {
    value = static_cast<qint32>(read.number);
    return status;
  }
  return -1;
}

void LibRegistry::SetRegValue(const QString& keyPath, const QString& valueName,
                              const QVariant& value, quint32 type) {
  RegistryKey key;
  (void)registry_.openKey(RegistryRoot::LocalMachine, keyPath, registry::kKeySetValue, key);
  (void)SetRegValueEx(registry_, key, valueName, type, value);
}

QString LibRegistry::GetRegValue(const QString& keyPath, const QString& valueName) {
  RegistryKey key;
  (void)registry_.openKey(RegistryRoot::LocalMachine, keyPath, registry::kKeyQueryValue, key);
  QVariant value;
  (void)QueryRegValueEx(registry_, key, valueName, value);
  return value.toString();
}

RegistryStatus LibRegistry::DeleteRegValue(RegistryRoot root, const QString& keyPath,
                                           const QString& valueName) {
  RegistryKey key;
  RegistryStatus status = registry_.openKey(root, keyPath, registry::kKeyAllRights, key);
  if (status != registry::kSuccess) {
    return status;
  }
  status = registry_.deleteValue(key, valueName);
  if (status != registry::kSuccess && status != registry::kFileNotFound) {
    boxes_.show(MessageBoxIcon::Exclamation, MessageBoxButtons::Ok,
                statusDescription(status) + QStringLiteral(" (DeleteValue)"),
                QStringLiteral("Error %1").arg(status));
  }
  return status;
}

QString LibRegistry::StartupEntryData() const {
  QString folder = programFolder_;
  if (!folder.endsWith(u'/')) {
    folder += u'/';
  }
  return u'"' + folder + QString::fromUtf16(kProgramFile) + u'"';
}

void LibRegistry::AddStartupEntry() {
  const QString runKey = QString::fromUtf16(kRunKey);
  CreateRegKey(runKey, RegistryRoot::LocalMachine);
  SetRegValue(runKey, QString::fromUtf16(kRunValue), StartupEntryData(), registry::kRegSz);
}

QString LibRegistry::GetStartupEntry() {
  return GetRegValue(QString::fromUtf16(kRunKey), QString::fromUtf16(kRunValue));
}

void LibRegistry::RemoveStartupEntry() {
  (void)DeleteRegValue(RegistryRoot::LocalMachine, QString::fromUtf16(kRunKey),
                       QString::fromUtf16(kRunValue));
}

void LibRegistry::SyncRunAtStartup(bool init) {
  const bool present = !GetStartupEntry().isEmpty();
  if (init) {
    setRunStartupChecked_(present);
    return;
  }
  if (present) {
    RemoveStartupEntry();
  } else {
    const MessageBoxAnswer answer = boxes_.show(
        MessageBoxIcon::None, MessageBoxButtons::YesNo,
        QStringLiteral("Do you want CorvaneControl to start automatically\non Windows Startup?"),
        QStringLiteral("Run on Windows Startup?"));
    if (answer == MessageBoxAnswer::Yes) {
      AddStartupEntry();
      // A registration the registry refused (the desktop's autostart folder not writable, say)
      // must not be confirmed, nor shown as made.
      if (!GetStartupEntry().isEmpty()) {
        boxes_.show(MessageBoxIcon::Information, MessageBoxButtons::Ok,
                    QStringLiteral("CorvaneControl will now startup automatically."),
                    QStringLiteral("Startup Automatically"));
      }
    } else {
      RemoveStartupEntry();
    }
  }
  setRunStartupChecked_(!GetStartupEntry().isEmpty());
}
