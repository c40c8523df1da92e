#pragma once

#include "platform/ProfileFiles.h"

// A settings store that holds nothing: every read gives its fallback and every write is refused.
// For code under test that reads its settings from memory only.
class NoProfileFiles final : public ProfileFiles {
 public:
  QString readString(const QString&, const QString&, const QString& fallback,
                     const QString&) const override {
    return fallback;
  }
  bool writeString(const QString&, const QString&, const QString&, const QString&) override {
    return false;
  }
};
