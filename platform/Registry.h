#pragma once

#include <QString>
#include <QtGlobal>

// The few registry keys the programs read and write, behind one small interface. Keys and values
// keep the names, types and status codes the programs have always used; what stands behind a key
// is the adapter's affair.

// 0 on success, else the registry's error code.
using RegistryStatus = qint32;

namespace registry {

inline constexpr RegistryStatus kSuccess = 0;
// The key or the value is not there.
inline constexpr RegistryStatus kFileNotFound = 2;
// The key was not opened for this, or the key or value cannot be written.
inline constexpr RegistryStatus kAccessDenied = 5;
// No open key (a failed open leaves none).
inline constexpr RegistryStatus kInvalidHandle = 6;
// A value the key cannot hold.
inline constexpr RegistryStatus kInvalidParameter = 87;
// The value does not fit the reader's buffer.
inline constexpr RegistryStatus kMoreData = 234;

// Value types. Any other number is a type the programs neither write nor read.
inline constexpr quint32 kRegSz = 1;
inline constexpr quint32 kRegExpandSz = 2;
inline constexpr quint32 kRegDword = 4;

// Access rights asked for when a key is opened.
inline constexpr quint32 kKeyQueryValue = 0x1;
inline constexpr quint32 kKeySetValue = 0x2;
// The six key-specific rights: query, set, create subkey, enumerate, notify, create link.
inline constexpr quint32 kKeyAllRights = 0x3F;

}  // namespace registry

enum class RegistryRoot : quint32 {
  ClassesRoot = 0x80000000u,
  LocalMachine = 0x80000002u,
};

// An open key. A default one is no key at all, as the handle 0 that a failed open leaves.
struct RegistryKey {
  RegistryRoot root = RegistryRoot::LocalMachine;
  QString path;
  quint32 access = 0;
  bool open = false;
};

// One value: its type and its data. REG_SZ and the other string types keep their text without the
// terminating NUL; REG_DWORD its number.
struct RegistryValue {
  quint32 type = registry::kRegSz;
  QString text;
  quint32 number = 0;
};

// Key paths and value names compare without regard to case; the empty value name is the key's
// default value. Nothing here throws: every failure is a status.
class Registry {
 public:
  virtual ~Registry() = default;

  // Opens an existing key with `access` into `key`; on failure `key` is left as it was.
  [[nodiscard]] virtual RegistryStatus openKey(RegistryRoot root, const QString& path,
                                               quint32 access, RegistryKey& key) = 0;
  // Opens the key, making it first when it is missing.
  [[nodiscard]] virtual RegistryStatus createKey(RegistryRoot root, const QString& path,
                                                 quint32 access, RegistryKey& key) = 0;
  // Needs a key opened with kKeyQueryValue.
  [[nodiscard]] virtual RegistryStatus queryValue(const RegistryKey& key, const QString& name,
                                                  RegistryValue& value) = 0;
  // Needs a key opened with kKeySetValue.
  [[nodiscard]] virtual RegistryStatus setValue(const RegistryKey& key, const QString& name,
                                                const RegistryValue& value) = 0;
  // Needs a key opened with kKeySetValue; a value that is not there gives kFileNotFound.
  [[nodiscard]] virtual RegistryStatus deleteValue(const RegistryKey& key, const QString& name) = 0;
};
