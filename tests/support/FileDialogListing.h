#pragma once

#include <QAbstractItemModel>
#include <QFileDialog>
#include <QListView>
#include <QStringList>

// The names a Qt file dialog shows in the folder it has open, sorted; empty before it has read
// the folder (it reads in the background).
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
