#include "platform/linux/FlockInstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

namespace {

QString lockFolder() {
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) {
    return runtime;
  }
  // A folder only this user may write, so that nobody else can hold or replace the lock file.
  const QString own = QDir::tempPath() + QStringLiteral("/corvane-%1").arg(getuid());
  (void)mkdir(QFile::encodeName(own).constData(), 0700);
  return own;
}

}  // namespace

FlockInstanceLock::~FlockInstanceLock() {
  if (fd_ >= 0) {
    close(fd_);
  }
}

QString FlockInstanceLock::lockPath(const QString& programFolder) {
  // The same folder reached through another path or a link is the same installation.
  const QString canonical = QFileInfo(programFolder).canonicalFilePath();
  const QByteArray key = QFile::encodeName(canonical.isEmpty() ? programFolder : canonical);
  const QByteArray digest = QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex();
  return lockFolder() + QStringLiteral("/corvane-") + QString::fromLatin1(digest.left(32)) +
         QStringLiteral(".lock");
}

bool FlockInstanceLock::acquire(const QString& programFolder) {
  if (fd_ >= 0) {
    return true;
  }
  const int fd = open(QFile::encodeName(lockPath(programFolder)).constData(),
                      O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    return true;
  }
  int result = 0;
  do {
    result = flock(fd, LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  if (result != 0) {
    const bool held = errno == EWOULDBLOCK;
    close(fd);
    return !held;
  }
  fd_ = fd;
  return true;
}
