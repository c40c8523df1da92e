#include "agent/LibSettings.h"

#include <QStringView>
#include <utility>

#include "platform/TrimText.h"

namespace {

const QString kConfigurationSection = QStringLiteral("Configuration");
const QString kRootDirKey = QStringLiteral("RootDir");
const QString kButtonsSection = QStringLiteral("Buttons");
const std::array<QString, LibSettings::kButtonSlotCount> kButtonKeys = {
    QStringLiteral("App_A"), QStringLiteral("App_B"), QStringLiteral("App_C"),
    QStringLiteral("App_D")};

// The program folder without a trailing separator, so that the paths built on it have exactly
// one; the root folder becomes empty and its paths start with the separator.
QString withoutTrailingSeparator(QString folder) {
  while (folder.endsWith(u'/')) {
    folder.chop(1);
  }
  return folder;
}

}  // namespace

LibSettings::LibSettings(ProfileFiles& profiles, QString programFolder)
    : profiles_(profiles), programFolder_(withoutTrailingSeparator(std::move(programFolder))) {
  ConfigFile = programFolder_ + QStringLiteral("/config.ini");
}

QString LibSettings::ReadIniString(const QString& section, const QString& key,
                                   const QString& fallback) const {
  return TrimSpaces(profiles_.readString(section, key, fallback, ConfigFile));
}

bool LibSettings::WriteIniString(const QString& section, const QString& key, const QString& value) {
  return profiles_.writeString(section, key, value, ConfigFile);
}

void LibSettings::LoadConfig() {
  const QString root = ReadIniString(kConfigurationSection, kRootDirKey, QString());
  // A root without a trailing separator is kept as it is: the folders the handheld names are
  // appended to it as they come.
  RootDirPath = root.isEmpty() ? programFolder_ + QStringLiteral("/Shared/") : root;
  for (std::size_t i = 0; i < kButtonSlotCount; ++i) {
    ButtonApps[kFirstButtonSlot + i] = ReadIniString(kButtonsSection, kButtonKeys[i], QString());
  }
}

void LibSettings::SaveConfig() {
  (void)WriteIniString(kConfigurationSection, kRootDirKey, TrimSpaces(RootDirPath));
  // An empty mapping is written as an empty value, never deleted, so that the file always shows
  // the four buttons.
  for (std::size_t i = 0; i < kButtonSlotCount; ++i) {
    (void)WriteIniString(kButtonsSection, kButtonKeys[i], ButtonApps[kFirstButtonSlot + i]);
  }
}

bool LibSettings::SaveButtonApp(std::size_t slot) {
  if (slot < kFirstButtonSlot || slot >= kFirstButtonSlot + kButtonSlotCount) {
    return false;
  }
  return WriteIniString(kButtonsSection, kButtonKeys[slot - kFirstButtonSlot], ButtonApps[slot]);
}
