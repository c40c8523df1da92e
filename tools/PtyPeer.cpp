#include "tools/PtyPeer.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <QFile>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

// One wake-up reads at most this much, so that a peer that never stops sending cannot keep us
// from the rest of the loop (signals, the script, the clock).
constexpr qsizetype kMaxReadPerCall = 64 * 1024;
constexpr std::size_t kReadChunk = 4096;
constexpr std::size_t kMaxDeviceName = 128;

QString systemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

// The wire's line: 57600 baud, 8 data bits, no parity, 1 stop bit; no echo, no line editing, no
// flow control, so that every byte (XON, XOFF and NUL among them) passes untouched.
bool applyRawLine(int fd) {
  termios t{};
  if (tcgetattr(fd, &t) != 0) {
    return false;
  }
  cfmakeraw(&t);
  t.c_iflag &= ~static_cast<tcflag_t>(IXOFF | IXANY);
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
  t.c_cflag |= static_cast<tcflag_t>(CS8 | CLOCAL | CREAD);
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  if (cfsetispeed(&t, B57600) != 0 || cfsetospeed(&t, B57600) != 0) {
    return false;
  }
  return tcsetattr(fd, TCSANOW, &t) == 0;
}

}  // namespace

std::unique_ptr<PtyPeer> PtyPeer::openDevice(const QString& path, QString& error) {
  const int fd =
      ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = QStringLiteral("cannot open %1: %2").arg(path, systemError());
    return nullptr;
  }
  auto peer = std::make_unique<PtyPeer>(fd, path, false);
  if (!isatty(fd)) {
    error = QStringLiteral("%1 is not a serial device").arg(path);
    return nullptr;
  }
  if (!applyRawLine(fd)) {
    error = QStringLiteral("cannot set the line of %1: %2").arg(path, systemError());
    return nullptr;
  }
  return peer;
}

std::unique_ptr<PtyPeer> PtyPeer::createPty(const QString& linkPath, QString& error) {
  const int fd = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = QStringLiteral("cannot create a pseudo-terminal: %1").arg(systemError());
    return nullptr;
  }
  std::array<char, kMaxDeviceName> name{};
  if (grantpt(fd) != 0 || unlockpt(fd) != 0 || ptsname_r(fd, name.data(), name.size()) != 0) {
    error = QStringLiteral("cannot prepare the pseudo-terminal: %1").arg(systemError());
    (void)::close(fd);
    return nullptr;
  }
  auto peer = std::make_unique<PtyPeer>(fd, QFile::decodeName(name.data()), true);
  if (!applyRawLine(fd)) {
    error = QStringLiteral("cannot set the pseudo-terminal's line: %1").arg(systemError());
    return nullptr;
  }
  // Opened and closed once, the slave makes the master report a hang-up until the agent opens it:
  // before the first open, the master looks the same whether or not anybody is there.
  const int slave = ::open(name.data(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (slave < 0) {
    error = QStringLiteral("cannot open %1: %2").arg(peer->devicePath(), systemError());
    return nullptr;
  }
  const bool rawSlave = applyRawLine(slave);
  (void)::close(slave);
  if (!rawSlave) {
    error = QStringLiteral("cannot set the line of %1: %2").arg(peer->devicePath(), systemError());
    return nullptr;
  }
  if (!linkPath.isEmpty() && !peer->makeLink(linkPath, error)) {
    return nullptr;
  }
  return peer;
}

PtyPeer::PtyPeer(int fd, QString devicePath, bool isPty)
    : fd_(fd), devicePath_(std::move(devicePath)), isPty_(isPty) {}

PtyPeer::~PtyPeer() {
  if (!linkPath_.isEmpty()) {
    // Only our own link goes: a later simulator may have put its link in the same place.
    const QByteArray link = QFile::encodeName(linkPath_);
    const QByteArray target = QFile::encodeName(devicePath_);
    std::array<char, kMaxDeviceName> current{};
    const ssize_t length = ::readlink(link.constData(), current.data(), current.size());
    if (length >= 0 && QByteArrayView(current.data(), length) == target) {
      (void)::unlink(link.constData());
    }
  }
  (void)::close(fd_);
}

bool PtyPeer::makeLink(const QString& linkPath, QString& error) {
  const QByteArray link = QFile::encodeName(linkPath);
  struct stat existing {};
  if (::lstat(link.constData(), &existing) == 0) {
    // A link left by a simulator that was killed is replaced; anything else is somebody's file.
    if (!S_ISLNK(existing.st_mode)) {
      error = QStringLiteral("%1 exists and is not a symbolic link").arg(linkPath);
      return false;
    }
    if (::unlink(link.constData()) != 0) {
      error = QStringLiteral("cannot replace %1: %2").arg(linkPath, systemError());
      return false;
    }
  }
  if (::symlink(QFile::encodeName(devicePath_).constData(), link.constData()) != 0) {
    error = QStringLiteral("cannot make the link %1: %2").arg(linkPath, systemError());
    return false;
  }
  linkPath_ = linkPath;
  return true;
}

PtyPeer::Io PtyPeer::readAvailable(QByteArray& into) {
  std::array<char, kReadChunk> chunk{};
  qsizetype total = 0;
  while (total < kMaxReadPerCall) {
    const ssize_t n = ::read(fd_, chunk.data(), chunk.size());
    if (n > 0) {
      into.append(chunk.data(), n);
      total += n;
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && errno == EAGAIN) {
      return Io::Ok;
    } else {
      // A master reads EIO once the slave is closed, a device end of file once it is gone.
      return Io::HungUp;
    }
  }
  return Io::Ok;
}

PtyPeer::Io PtyPeer::writeSome(QByteArrayView bytes, qsizetype& written) {
  written = 0;
  while (written < bytes.size()) {
    const ssize_t n =
        ::write(fd_, bytes.data() + written, static_cast<std::size_t>(bytes.size() - written));
    if (n >= 0) {
      written += n;
    } else if (errno == EINTR) {
      continue;
    } else if (errno == EAGAIN) {
      return Io::Ok;
    } else {
      return Io::HungUp;
    }
  }
  return Io::Ok;
}

bool PtyPeer::hungUp() const {
  pollfd p{fd_, 0, 0};
  if (::poll(&p, 1, 0) < 0) {
    return false;
  }
  return (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

qint64 PtyPeer::bytesWaiting() const {
  int count = 0;
  if (::ioctl(fd_, FIONREAD, &count) != 0) {
    return 0;
  }
  return count;
}

bool PtyPeer::restoreLineSettings() { return applyRawLine(fd_); }
