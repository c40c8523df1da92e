#include "platform/linux/QtFileDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QSortFilterProxyModel>
#include <vector>

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

// The settings both kinds of dialog share: Qt's own dialog, the filters with the chosen one in
// force, and the folder it opens in.
void prepare(QFileDialog& dialog, const std::vector<FileDialogs::Filter>& filters, int selected,
             const QString& startFolder) {
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  const FileDialogs::Filter& chosen =
      filters[selected >= 0 && static_cast<std::size_t>(selected) < filters.size()
                  ? static_cast<std::size_t>(selected)
                  : 0];
  if (chosen.programsOnly) {
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    // The dialog takes the model over and deletes it with itself.
    dialog.setProxyModel(new ProgramsOnlyModel(&dialog));
  }
  QStringList names;
  for (const FileDialogs::Filter& filter : filters) {
    names << nameFilterOf(filter);
  }
  dialog.setNameFilters(names);
  dialog.selectNameFilter(nameFilterOf(chosen));
  // A presentation saved on another desktop may be "TALK.PPT": every pattern matches in any case.
  dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
  // Qt's dialog has no read-only check box to hide: `hideReadOnly` asks for what it shows anyway.
  if (QFileInfo(startFolder).isDir()) {
    dialog.setDirectory(startFolder);
  }
}

}  // namespace

QString QtFileDialogs::getOpenFileName(const OpenFileRequest& request) {
  QFileDialog dialog(parent_, request.title);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (request.filters.empty()) {
    prepare(dialog, {request.filter}, 0, request.startFolder);
  } else {
    prepare(dialog, request.filters, request.selectedFilter, request.startFolder);
  }
  if (!request.selectedFile.isEmpty()) {
    dialog.selectFile(request.selectedFile);
  }
  if (dialog.exec() != QDialog::Accepted) {
    return {};
  }
  return dialog.selectedFiles().value(0);
}

QString QtFileDialogs::getSaveFileName(const SaveFileRequest& request) {
  QFileDialog dialog(parent_, request.title);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
  prepare(dialog, request.filters.empty() ? std::vector<FileDialogs::Filter>{{}} : request.filters,
          request.selectedFilter, request.startFolder);
  if (dialog.exec() != QDialog::Accepted) {
    return {};
  }
  return dialog.selectedFiles().value(0);
}
