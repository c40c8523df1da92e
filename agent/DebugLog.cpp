#include "agent/DebugLog.h"

#include <algorithm>

void DebugLog::Append(const QString& text) {
  if (!DebugMode) {
    return;
  }
  if (text_.size() + text.size() <= kMaxChars) {
    text_ += text;
    view_.appendDebugLog(text);
    return;
  }
  // Down to half the bound in one go, so that trimming (and showing the whole text again) comes
  // once per half a bound of frames, not at every frame.
  text_ += text;
  const qsizetype keep = std::min(text_.size(), kMaxChars / 2);
  text_.remove(0, text_.size() - keep);
  view_.setDebugLog(text_);
}

void DebugLog::Clear() {
  text_.clear();
  view_.setDebugLog(text_);
}
