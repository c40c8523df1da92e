#pragma once

#include <QString>
#include <QtGlobal>

#include "agent/AgentView.h"

// The debug log of the Statistics page: received and sent frames, kept while the agent runs in
// debug mode. It never grows past kMaxChars: past it, the oldest text goes.
class DebugLog {
 public:
  // Ample for the frames of a long session; the text box holds no more than this.
  static constexpr qsizetype kMaxChars = 256 * 1024;

  explicit DebugLog(AgentView& view) : view_(view) {}

  // The command line asked for the log ("DEBUG"); set at start-up.
  bool DebugMode = false;

  // Adds `text` at the end, in debug mode only.
  void Append(const QString& text);
  void Clear();
  [[nodiscard]] const QString& text() const { return text_; }

 private:
  AgentView& view_;
  QString text_;
};
