#pragma once

#include <QString>

enum class MessageBoxIcon { None, Critical, Question, Exclamation, Information };
enum class MessageBoxButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageBoxAnswer { Ok, Cancel, Yes, No };

// Modal message boxes: the program waits for the user's answer.
class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  virtual MessageBoxAnswer show(MessageBoxIcon icon, MessageBoxButtons buttons, const QString& text,
                                const QString& title) = 0;
};
