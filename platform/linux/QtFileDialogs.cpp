#include "platform/linux/QtFileDialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QSortFilterProxyModel>

namespace {

const QString kDesktopEntrySuffix = QStringLiteral("desktop");

// Folders, so that the user can move about, and of the files those the desktop can start.
class ProgramsOnlyModel final : public QSortFilterProxyModel {
 public:
  using QSortFilterProxyModel::QSortFilterProxyModel;

 protected:
  [[nodiscard]] bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (files == nullptr) {
      return true;
    }
    const QFileInfo info = files->fileInfo(files->index(row, 0, parent));
    if (info.isDir()) {
      return true;
    }
    return info.isExecutable() ||
           info.suffix().compare(kDesktopEntrySuffix, Qt::CaseInsensitive) == 0;
  }
};

QString nameFilterOf(const FileDialogs::Filter& filter) {
  // The programs are chosen by the proxy model; the name filter lets every name through to it.
  const QString patterns = filter.programsOnly || filter.patterns.isEmpty()
                               ? QStringLiteral("*")
                               : filter.patterns.join(u' ');
  return filter.description + QStringLiteral(" (") + patterns + u')';
}

}  // namespace

QString QtFileDialogs::getOpenFileName(const OpenFileRequest& request) {
  QFileDialog dialog(parent_, request.title);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  // Qt's dialog has no read-only check box to hide: `hideReadOnly` asks for what it shows anyway.
  if (request.filter.programsOnly) {
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    // The dialog takes the model over and deletes it with itself.
    dialog.setProxyModel(new ProgramsOnlyModel(&dialog));
  }
  dialog.setNameFilter(nameFilterOf(request.filter));
  if (QFileInfo(request.startFolder).isDir()) {
    dialog.setDirectory(request.startFolder);
  }
  if (!request.selectedFile.isEmpty()) {
    dialog.selectFile(request.selectedFile);
  }
  if (dialog.exec() != QDialog::Accepted) {
    return {};
  }
  return dialog.selectedFiles().value(0);
}
