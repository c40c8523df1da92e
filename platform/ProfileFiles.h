#pragma once

#include <QString>

// Private profile (INI) files: sections in brackets, key=value lines. Section and key names
// compare without regard to case. A write creates the file, section or key as needed, replaces
// an existing value in place and keeps every other line.
class ProfileFiles {
 public:
  virtual ~ProfileFiles() = default;
  // The value with blanks around it removed, or `fallback` when the file, section or key is
  // missing.
  [[nodiscard]] virtual QString readString(const QString& section, const QString& key,
                                           const QString& fallback, const QString& file) const = 0;
  // True when the file was written.
  [[nodiscard]] virtual bool writeString(const QString& section, const QString& key,
                                         const QString& value, const QString& file) = 0;
};
