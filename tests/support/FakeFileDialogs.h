#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <vector>

#include "platform/FileDialogs.h"

// Shows nothing: records every dialog asked for and answers each with the next queued path ("" is
// a cancel); with the queue empty it cancels.
class FakeFileDialogs final : public FileDialogs {
 public:
  std::deque<QString> answers;
  std::vector<OpenFileRequest> asked;

  QString getOpenFileName(const OpenFileRequest& request) override {
    asked.push_back(request);
    if (answers.empty()) {
      return {};
    }
    QString answer = answers.front();
    answers.pop_front();
    return answer;
  }
};
