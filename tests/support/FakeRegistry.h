#pragma once

#include <QHash>
#include <QString>
#include <optional>

#include "platform/Registry.h"

// Keys and values in memory, with the access and status rules of the real registry; each
// operation can be made to fail, and writes can be made to vanish while reporting success (a
// store that takes the write and does not keep it).
class FakeRegistry final : public Registry {
 public:
  // Status the next operations of each kind give instead of doing anything; 0 for none.
  RegistryStatus failOpen = registry::kSuccess;
  RegistryStatus failCreate = registry::kSuccess;
  RegistryStatus failQuery = registry::kSuccess;
  RegistryStatus failSet = registry::kSuccess;
  RegistryStatus failDelete = registry::kSuccess;
  // Writes report success and keep nothing.
  bool dropWrites = false;
  // Reads of values, successful or not.
  int queries = 0;

  void addKey(RegistryRoot root, const QString& path) { keys_[id(root, path)]; }
  void put(RegistryRoot root, const QString& path, const QString& name,
           const RegistryValue& value) {
    keys_[id(root, path)].insert(name.toLower(), value);
  }
  [[nodiscard]] std::optional<RegistryValue> get(RegistryRoot root, const QString& path,
                                                 const QString& name) const {
    const auto key = keys_.constFind(id(root, path));
    if (key == keys_.cend() || !key->contains(name.toLower())) {
      return std::nullopt;
    }
    return key->value(name.toLower());
  }

  RegistryStatus openKey(RegistryRoot root, const QString& path, quint32 access,
                         RegistryKey& key) override {
    if (failOpen != registry::kSuccess) {
      return failOpen;
    }
    if (!keys_.contains(id(root, path))) {
      return registry::kFileNotFound;
    }
    key = RegistryKey{root, path, access, true};
    return registry::kSuccess;
  }
  RegistryStatus createKey(RegistryRoot root, const QString& path, quint32 access,
                           RegistryKey& key) override {
    if (failCreate != registry::kSuccess) {
      return failCreate;
    }
    addKey(root, path);
    key = RegistryKey{root, path, access, true};
    return registry::kSuccess;
  }
  RegistryStatus queryValue(const RegistryKey& key, const QString& name,
                            RegistryValue& value) override {
    ++queries;
    if (const RegistryStatus status = check(key, registry::kKeyQueryValue)) {
      return status;
    }
    if (failQuery != registry::kSuccess) {
      return failQuery;
    }
    const auto stored = get(key.root, key.path, name);
    if (!stored) {
      return registry::kFileNotFound;
    }
    value = *stored;
    return registry::kSuccess;
  }
  RegistryStatus setValue(const RegistryKey& key, const QString& name,
                          const RegistryValue& value) override {
    if (const RegistryStatus status = check(key, registry::kKeySetValue)) {
      return status;
    }
    if (failSet != registry::kSuccess) {
      return failSet;
    }
    if (!dropWrites) {
      put(key.root, key.path, name, value);
    }
    return registry::kSuccess;
  }
  RegistryStatus deleteValue(const RegistryKey& key, const QString& name) override {
    if (const RegistryStatus status = check(key, registry::kKeySetValue)) {
      return status;
    }
    if (failDelete != registry::kSuccess) {
      return failDelete;
    }
    const auto found = keys_.find(id(key.root, key.path));
    if (found == keys_.end() || found->remove(name.toLower()) == 0) {
      return registry::kFileNotFound;
    }
    return registry::kSuccess;
  }

 private:
  static QString id(RegistryRoot root, const QString& path) {
    return QString::number(static_cast<quint32>(root), 16) + u':' + path.toLower();
  }
  static RegistryStatus check(const RegistryKey& key, quint32 right) {
    if (!key.open) {
      return registry::kInvalidHandle;
    }
    return (key.access & right) == 0 ? registry::kAccessDenied : registry::kSuccess;
  }

  QHash<QString, QHash<QString, RegistryValue>> keys_;
};
