#pragma once

#include <QString>

#include "platform/DesktopShell.h"
#include "platform/MessageBoxes.h"
#include "platform/Registry.h"

// What the About windows of both programs share: the legal warning, the registry value reader and
// the system-information launcher.
namespace aboutcore {

// The warning both About boxes show under the version: one text, so that the two programs never
// tell the user different terms.
[[nodiscard]] inline QString DisclaimerText() {
  return QStringLiteral(
      "Warning: this program is protected by copyright law. Copying it, passing it on or "
      "offering it to others, in whole or in part, without the written permission of its "
      "authors is not allowed and may lead to civil claims and criminal prosecution.");
}

// The largest value GetKeyValue reads, in bytes with the terminating NUL.
inline constexpr qsizetype kKeyValueBufferBytes = 1024;

// Reads `valueName` of `keyName` under `root` into `keyVal` as text: a REG_SZ value as it stands;
// a REG_DWORD value appends the hexadecimal digits of each of its bytes, last byte first, each
// without a leading zero, and puts "&h" in front; a value of any other type leaves `keyVal` as it
// was. False, with
// `keyVal` emptied, when the key cannot be opened or the value cannot be read (a text longer
// than the buffer among them).
[[nodiscard]] bool GetKeyValue(Registry& registry, RegistryRoot root, const QString& keyName,
                               const QString& valueName, QString& keyVal);

// The desktop's system-information programs, tried in this order; each may need an argument.
struct SystemInformationTool {
  const char* program;
  const char* argument;  // nullptr for none
};
inline constexpr SystemInformationTool kSystemInformationTools[] = {
    {"hardinfo", nullptr},
    {"kinfocenter", nullptr},
    {"xfce4-about", nullptr},
    {"gnome-control-center", "info-overview"},
};

// Starts the first of kSystemInformationTools found on PATH, detached; when none is there or it
// does not start, says "System Information Is Unavailable At This Time".
void StartSysInfo(DesktopShell& shell, MessageBoxes& boxes);

}  // namespace aboutcore
