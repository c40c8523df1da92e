#pragma once

#include "platform/FileDialogs.h"

class QWidget;

// File dialogs as Qt's own widget dialog, never the desktop's native one: only the widget dialog
// can list the programs of a folder (files with the execute bit, desktop entries), which no name
// pattern describes on Linux, and only it matches name patterns without regard to case on every
// desktop.
class QtFileDialogs final : public FileDialogs {
 public:
  explicit QtFileDialogs(QWidget* parent = nullptr) : parent_(parent) {}

  [[nodiscard]] QString getOpenFileName(const OpenFileRequest& request) override;
  [[nodiscard]] QString getSaveFileName(const SaveFileRequest& request) override;

 private:
  QWidget* parent_;
};
