#include "shared/AboutCore.h"

#include <QStandardPaths>
#include <QStringList>

namespace aboutcore {

bool GetKeyValue(Registry& registry, RegistryRoot root, const QString& keyName,
                 const QString& valueName, QString& keyVal) {
  RegistryKey key;
  RegistryValue value;
  if (registry.openKey(root, keyName, registry::kKeyAllRights, key) != registry::kSuccess ||
      registry.queryValue(key, valueName, value) != registry::kSuccess) {
    keyVal.clear();
    return false;
  }
  if (value.type == registry::kRegSz) {
    // The text and its NUL must fit the reader's buffer, one byte a character.
    if (value.text.size() + 1 > kKeyValueBufferBytes) {
      keyVal.clear();
      return false;
    }
    keyVal = value.text;
  } else if (value.type == registry::kRegDword) {
    // Four bytes, least significant first; a last byte of 0 is taken for a text's NUL and
    // dropped, as for every value read.
    const int bytes = (value.number >> 24) == 0 ? 3 : 4;
    for (int i = bytes - 1; i >= 0; --i) {
      keyVal += QString::number((value.number >> (8 * i)) & 0xFFu, 16).toUpper();
    }
    keyVal.prepend(QStringLiteral("&h"));
  }
  return true;
}

void StartSysInfo(DesktopShell& shell, MessageBoxes& boxes) {
  for (const SystemInformationTool& tool : kSystemInformationTools) {
    const QString program = QStandardPaths::findExecutable(QString::fromLatin1(tool.program));
    if (program.isEmpty()) {
      continue;
    }
    const QStringList arguments =
        tool.argument ? QStringList{QString::fromLatin1(tool.argument)} : QStringList{};
    if (shell.startProgram(program, arguments, DesktopShell::WindowStyle::Normal)) {
      return;
    }
    break;  // the first one found is the desktop's; another would only confuse
  }
  boxes.show(MessageBoxIcon::None, MessageBoxButtons::Ok,
             QStringLiteral("System Information Is Unavailable At This Time"), QString());
}

}  // namespace aboutcore
