#pragma once

#include "platform/MessageBoxes.h"

class QWidget;

// Message boxes as the desktop's own modal dialogs.
class QtMessageBoxes final : public MessageBoxes {
 public:
  explicit QtMessageBoxes(QWidget* parent = nullptr) : parent_(parent) {}
  MessageBoxAnswer show(MessageBoxIcon icon, MessageBoxButtons buttons, const QString& text,
                        const QString& title) override;

 private:
  QWidget* parent_;
};
