#pragma once

#include <QString>
#include <QVariant>
#include <functional>

#include "platform/MessageBoxes.h"
#include "platform/Registry.h"

// The registry operations the agent needs, and on them its registration to start with the
// desktop: the value "Corvane" under the machine's "Run" key, holding the quoted path of the
// agent's program file. The check box on the main window shows whether it is there.
class LibRegistry {
 public:
  static constexpr auto kRunKey = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
  static constexpr auto kRunValue = u"Corvane";
  // The agent's program file in the program folder.
  static constexpr auto kProgramFile = u"Corvane";

  // `setRunStartupChecked` sets the main window's "Run … on Windows Startup" box.
  LibRegistry(Registry& registry, MessageBoxes& boxes, QString programFolder,
              std::function<void(bool)> setRunStartupChecked);

  // Creates or opens the key and closes it again; the status is not looked at.
  void CreateRegKey(const QString& keyPath, RegistryRoot root);
  // Writes a REG_SZ (as text) or REG_DWORD (as a 32-bit integer) value; any other type writes
  // nothing and gives 0.
  [[nodiscard]] static RegistryStatus SetRegValueEx(Registry& registry, const RegistryKey& key,
                                                    const QString& valueName, quint32 type,
                                                    const QVariant& value);
  // Reads a value: REG_SZ as its text, REG_DWORD as a signed 32-bit integer. A failed read
  // leaves `value` as it was and gives its status; a value of any other type leaves it too and
  // gives -1.
  [[nodiscard]] static RegistryStatus QueryRegValueEx(Registry& registry, const RegistryKey& key,
                                                      const QString& valueName, QVariant& value);
  // Under HKEY_LOCAL_MACHINE.
  void SetRegValue(const QString& keyPath, const QString& valueName, const QVariant& value,
                   quint32 type);
  // Under HKEY_LOCAL_MACHINE; "" when the value is missing or of another type.
  [[nodiscard]] QString GetRegValue(const QString& keyPath, const QString& valueName);
  // A value or key that is not there is no error; any other failure to delete is reported in a
  // message box. Gives the status.
  RegistryStatus DeleteRegValue(RegistryRoot root, const QString& keyPath,
                                const QString& valueName);

  // The data AddStartupEntry writes: the program file's path in double quotes.
  [[nodiscard]] QString StartupEntryData() const;
  void AddStartupEntry();
  [[nodiscard]] QString GetStartupEntry();
  void RemoveStartupEntry();
  // init: sets the box from the registry and changes nothing. Otherwise (the user clicked the
  // box): removes a registration without asking, or asks and adds one. The box then shows what
  // the registry holds, so a registration that could not be written is not confirmed.
  void SyncRunAtStartup(bool init);

 private:
  Registry& registry_;
  MessageBoxes& boxes_;
  QString programFolder_;
  std::function<void(bool)> setRunStartupChecked_;
};
