#pragma once

#include <fcntl.h>
#include <linux/capability.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QFile>
#include <QString>
#include <array>
#include <csignal>
#include <optional>

// Folders that take no new file, as a user meets them, and what a test needs to see how a file
// in them is written.

// Root passes the permission checks on files and folders, so a test run by root would never see
// a folder refuse it a new file the way a user's program does. For as long as this lives, the
// calling thread works without the capabilities that carry it past those checks; they leave the
// effective set only, so they come back afterwards. A test run by a user has none of them and
// loses nothing.
class WithoutRootOverride {
 public:
  WithoutRootOverride() {
    if (syscall(SYS_capget, &header_, saved_.data()) != 0) {
      return;
    }
    std::array<__user_cap_data_struct, kWords> lowered = saved_;
    for (const int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER}) {
      lowered[CAP_TO_INDEX(capability)].effective &= ~CAP_TO_MASK(capability);
    }
    active_ = syscall(SYS_capset, &header_, lowered.data()) == 0;
  }
  ~WithoutRootOverride() {
    if (active_) {
      syscall(SYS_capset, &header_, saved_.data());
    }
  }
  WithoutRootOverride(const WithoutRootOverride&) = delete;
  WithoutRootOverride& operator=(const WithoutRootOverride&) = delete;

  // False when the checks could not be brought back for this thread: what the test sees then is
  // not what a user would.
  [[nodiscard]] bool active() const { return active_; }

 private:
  static constexpr std::size_t kWords = _LINUX_CAPABILITY_U32S_3;
  __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
  std::array<__user_cap_data_struct, kWords> saved_{};
  bool active_ = false;
};

// Sets or clears a folder's immutable flag: no file can then be created in it or renamed into it,
// by root either, while the files already in it stay writable. False where the file system has
// no such flag or the caller may not set it (a user, a container without the capability).
[[nodiscard]] inline bool SetFolderImmutable(const QString& folder, bool immutable) {
  const int fd = open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    return false;
  }
  int flags = 0;
  bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  if (done) {
    flags = immutable ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    done = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  }
  close(fd);
  return done;
}

// How a folder refuses a new file.
enum class FolderLock { None, NoWriteBits, Immutable };

// Locks a folder one way or another and makes it writable again when it goes, whatever the test
// did, so that its temporary folder can be removed.
class LockedFolder {
 public:
  explicit LockedFolder(QString folder) : folder_(std::move(folder)) {}
  ~LockedFolder() {
    if (immutable_) {
      (void)SetFolderImmutable(folder_, false);
    }
    QFile::setPermissions(folder_,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  }
  LockedFolder(const LockedFolder&) = delete;
  LockedFolder& operator=(const LockedFolder&) = delete;

  // False when the folder cannot be locked that way here (an immutable flag needs a file system
  // and a user that have it).
  [[nodiscard]] bool lock(FolderLock how) {
    switch (how) {
      case FolderLock::None:
        return true;
      case FolderLock::NoWriteBits:
        return QFile::setPermissions(folder_, QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                                  QFileDevice::ReadGroup | QFileDevice::ExeGroup |
                                                  QFileDevice::ReadOther | QFileDevice::ExeOther);
      case FolderLock::Immutable:
        immutable_ = SetFolderImmutable(folder_, true);
        return immutable_;
    }
    return false;
  }

 private:
  QString folder_;
  bool immutable_ = false;
};

// The file's inode: the same one after a write means it was written in place, a new one that it
// was replaced by a rename.
[[nodiscard]] inline std::optional<ino_t> InodeOf(const QString& path) {
  struct stat status {};
  if (stat(QFile::encodeName(path).constData(), &status) != 0) {
    return std::nullopt;
  }
  return status.st_ino;
}

// Files this process writes may not grow past `bytes` while this lives: a write that runs into
// the bound fails half way, as on a full disk.
struct FileSizeLimit {
  rlimit saved{};
  void (*savedHandler)(int) = nullptr;
  bool active = false;
  explicit FileSizeLimit(rlim_t bytes) {
    if (getrlimit(RLIMIT_FSIZE, &saved) != 0) {
      return;
    }
    rlimit limited = saved;
    limited.rlim_cur = bytes;
    savedHandler = std::signal(SIGXFSZ, SIG_IGN);
    active = setrlimit(RLIMIT_FSIZE, &limited) == 0;
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, savedHandler);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;
};
