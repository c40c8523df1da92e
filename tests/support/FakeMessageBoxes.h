#pragma once

#include <vector>

#include "platform/MessageBoxes.h"

// Records every box shown and answers each with `answer`.
class FakeMessageBoxes final : public MessageBoxes {
 public:
  struct Shown {
    MessageBoxIcon icon;
    MessageBoxButtons buttons;
    QString text;
    QString title;
  };

  MessageBoxAnswer answer = MessageBoxAnswer::Ok;
  std::vector<Shown> shown;

  MessageBoxAnswer show(MessageBoxIcon icon, MessageBoxButtons buttons, const QString& text,
                        const QString& title) override {
    shown.push_back({icon, buttons, text, title});
    return answer;
  }
};
