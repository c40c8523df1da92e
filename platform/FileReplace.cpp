#include "platform/FileReplace.h"

#include <QFile>
#include <QSaveFile>
#include <cerrno>
#include <system_error>

namespace {

bool folderRefusesNewFiles(std::error_code reason) {
  return reason == std::errc::permission_denied || reason == std::errc::operation_not_permitted ||
         reason == std::errc::read_only_file_system;
}

bool writeInPlace(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::ExistingOnly)) {
    return false;
  }
  const bool written = file.write(bytes) == bytes.size() && file.flush();
  file.close();
  return written && file.error() == QFileDevice::NoError;
}

}  // namespace

bool ReplaceFileContents(const QString& path, const QByteArray& bytes) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    // Any reason but a folder that refuses new files (a full disk) keeps the old file as it is.
    const std::error_code reason(errno, std::generic_category());
    return folderRefusesNewFiles(reason) && writeInPlace(path, bytes);
  }
  // The flush is where a full disk shows; the rename must not happen after it failed.
  if (file.write(bytes) != bytes.size() || !file.flush()) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}
