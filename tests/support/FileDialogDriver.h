#pragma once

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QDeadlineTimer>
#include <QFileDialog>
#include <QListView>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>

// Qt's own file dialog driven by a test, as a user meets it.

// The names the dialog shows in the folder it has open, sorted; empty before it has read the
// folder (it reads in the background).
inline QStringList ListedNames(QFileDialog& dialog) {
  QStringList names;
  const auto* view = dialog.findChild<QListView*>(QStringLiteral("listView"));
  if (view == nullptr) {
    return names;
  }
  const QAbstractItemModel* model = view->model();
  for (int row = 0; row < model->rowCount(view->rootIndex()); ++row) {
    names << model->index(row, 0, view->rootIndex()).data().toString();
  }
  names.sort();
  return names;
}

// Shows a dialog through `show`; `act` gets it once it lists `expected`, or after `boundMs` when
// it never does, so that the test sees what it lists instead. A dialog that `act` left open is
// closed then, unless `closedElsewhere` says another hand of the test closes it. Returns what
// `show` returned.
inline QString DriveFileDialog(const std::function<QString()>& show, const QStringList& expected,
                               const std::function<void(QFileDialog&)>& act, int boundMs,
                               const std::function<bool()>& closedElsewhere = {}) {
  bool acted = false;
  const QDeadlineTimer bound(boundMs);
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr || acted || (ListedNames(*dialog) != expected && !bound.hasExpired())) {
      return;
    }
    acted = true;
    poll.stop();
    act(*dialog);
    if (dialog->isVisible() && !(closedElsewhere && closedElsewhere())) {
      dialog->reject();
    }
  });
  poll.start(10);
  const QString chosen = show();
  EXPECT_TRUE(acted) << "the dialog came up";
  return chosen;
}
