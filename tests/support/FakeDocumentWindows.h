#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "agent/DocumentWindows.h"

// Desktop windows from a script: the listed windows with their titles, and the foreground
// window's title read after read. Every call is recorded in order.
class FakeDocumentWindows final : public DocumentWindows {
 public:
  // The windows findOpenWindow searches, in list order.
  std::vector<std::pair<WindowHandle, QString>> windows;
  // Read n of the foreground title gives element n; the last one repeats for ever after. An
  // empty list reads as "".
  QStringList foregroundTitles;
  int titleReads = 0;

  // "findOpenWindow(name)", "maximizeAndActivate(7)", "foregroundTitle()".
  QStringList calls;
  // Runs after each call is recorded: lets a test look at the rest of the system at that point.
  std::function<void(const QString&)> onCall;

  std::optional<WindowHandle> findOpenWindow(const QString& fileName) override {
    record(QStringLiteral("findOpenWindow(%1)").arg(fileName));
    for (const auto& [handle, title] : windows) {
      if (title.contains(fileName, Qt::CaseSensitive)) {
        return handle;
      }
    }
    return std::nullopt;
  }

  void maximizeAndActivate(WindowHandle window) override {
    record(QStringLiteral("maximizeAndActivate(%1)").arg(window));
  }

  QString foregroundTitle() override {
    QString title;
    if (!foregroundTitles.isEmpty()) {
      title =
          foregroundTitles[qMin(static_cast<qsizetype>(titleReads), foregroundTitles.size() - 1)];
    }
    ++titleReads;
    record(QStringLiteral("foregroundTitle()"));
    return title;
  }

 private:
  void record(const QString& call) {
    calls << call;
    if (onCall) {
      onCall(call);
    }
  }
};
