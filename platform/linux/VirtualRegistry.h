#pragma once

#include <QString>
#include <optional>

#include "platform/DesktopShell.h"
#include "platform/Registry.h"

// The registry keys the programs use, answered from what a freedesktop.org desktop keeps:
// - HKEY_CLASSES_ROOT "http\shell\open\command": its default value (REG_SZ) is the Exec value of
//   the desktop's default browser entry (DesktopShell::defaultBrowserCommand). The desktop is
//   asked once for the adapter's lifetime, so everything that reads the key sees one answer; the
//   key is missing when the desktop names no browser. It is never written here.
// - HKEY_LOCAL_MACHINE "SOFTWARE\Microsoft\Windows\CurrentVersion\Run", value "Corvane" (REG_SZ):
//   the XDG autostart entry "Corvane.desktop" in $XDG_CONFIG_HOME/autostart (~/.config when the
//   variable is unset, empty or not absolute), read at each call. Writing the quoted program path
//   writes an entry that starts that program, alone, at login; reading gives the quoted program
//   path back. An entry the desktop would not start (Hidden=true, X-GNOME-Autostart-enabled=false,
//   no Exec value that DesktopEntryExec takes apart) reads as missing. Deleting removes the file.
//   Other values of the key are missing and cannot be written.
// - Every other key is missing and cannot be made.
class VirtualRegistry final : public Registry {
 public:
  static constexpr auto kBrowserKey = u"http\\shell\\open\\command";
  static constexpr auto kRunKey = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
  static constexpr auto kRunValue = u"Corvane";
  // The name the desktop shows for the autostart entry.
  static constexpr auto kEntryName = u"CorvaneControl";
  // Longest autostart entry read; ours is a few hundred bytes.
  static constexpr qint64 kMaxEntryBytes = 64 * 1024;

  explicit VirtualRegistry(DesktopShell& shell) : shell_(shell) {}

  [[nodiscard]] RegistryStatus openKey(RegistryRoot root, const QString& path, quint32 access,
                                       RegistryKey& key) override;
  [[nodiscard]] RegistryStatus createKey(RegistryRoot root, const QString& path, quint32 access,
                                         RegistryKey& key) override;
  [[nodiscard]] RegistryStatus queryValue(const RegistryKey& key, const QString& name,
                                          RegistryValue& value) override;
  [[nodiscard]] RegistryStatus setValue(const RegistryKey& key, const QString& name,
                                        const RegistryValue& value) override;
  [[nodiscard]] RegistryStatus deleteValue(const RegistryKey& key, const QString& name) override;

  // Where the "Corvane" value lives now.
  [[nodiscard]] static QString autostartEntryPath();

 private:
  enum class Key { None, Browser, Run };
  [[nodiscard]] Key keyAt(RegistryRoot root, const QString& path) const;
  [[nodiscard]] const QString& browserCommand();

  DesktopShell& shell_;
  std::optional<QString> browserCommand_;
};
