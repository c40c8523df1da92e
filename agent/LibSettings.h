#pragma once

#include <QString>
#include <array>
#include <cstddef>

#include "platform/ProfileFiles.h"

// The agent's settings file, config.ini in the program folder: the document root, the programs
// of the four launcher buttons and the last serial port.
class LibSettings {
 public:
  // The launcher buttons A to D are slots 1 to 4 of ButtonApps.
  static constexpr std::size_t kFirstButtonSlot = 1;
  static constexpr std::size_t kButtonSlotCount = 4;

  LibSettings(ProfileFiles& profiles, QString programFolder);

  // Values without blanks around them; `fallback` when missing.
  [[nodiscard]] QString ReadIniString(const QString& section, const QString& key,
                                      const QString& fallback) const;
  // True when the value was written. No caller acts on a failed write: a setting that cannot be
  // saved is simply not there at the next start.
  bool WriteIniString(const QString& section, const QString& key, const QString& value);

  // Reads the document root and the launcher mappings. The main window shows ButtonApps on its
  // launcher page after calling this.
  void LoadConfig();
  // Writes the document root and the launcher mappings; the port is saved when the link starts.
  void SaveConfig();
  // Writes the one launcher mapping of `slot` (1 to 4) at once; false when it was not written.
  [[nodiscard]] bool SaveButtonApp(std::size_t slot);

  QString ConfigFile;
  // The base of the folders the handheld names; the default is the program folder & "/Shared/".
  QString RootDirPath;
  // Slots 1 to 4 are the launcher buttons A to D; slot 0 is not used.
  std::array<QString, kFirstButtonSlot + kButtonSlotCount> ButtonApps;

 private:
  ProfileFiles& profiles_;
  QString programFolder_;
};
