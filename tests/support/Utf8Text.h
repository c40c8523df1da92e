#pragma once

#include <QString>
#include <QStringList>
#include <initializer_list>

// Test tables hold their texts as UTF-8 literals.
inline QString text(const char* utf8) { return QString::fromUtf8(utf8); }

inline QStringList texts(std::initializer_list<const char*> items) {
  QStringList list;
  for (const char* item : items) {
    list << text(item);
  }
  return list;
}
