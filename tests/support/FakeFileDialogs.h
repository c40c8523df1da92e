#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

#include "platform/FileDialogs.h"

// Shows nothing: records every dialog asked for and answers each, open or save, with the next
// queued path ("" is a cancel); with the queue empty it cancels. `onAsk` runs before the answer,
// while the dialog would be up.
class FakeFileDialogs final : public FileDialogs {
 public:
  std::deque<QString> answers;
  std::vector<OpenFileRequest> asked;
  std::vector<SaveFileRequest> askedToSave;
  std::function<void()> onAsk;

  QString getOpenFileName(const OpenFileRequest& request) override {
    asked.push_back(request);
    return next();
  }

  QString getSaveFileName(const SaveFileRequest& request) override {
    askedToSave.push_back(request);
    return next();
  }

 private:
  QString next() {
    if (onAsk) {
      onAsk();
    }
    if (answers.empty()) {
      return {};
    }
    QString answer = answers.front();
    answers.pop_front();
    return answer;
  }
};
