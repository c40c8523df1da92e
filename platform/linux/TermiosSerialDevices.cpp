#include "platform/linux/TermiosSerialDevices.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <QByteArray>
#include <QStringView>
#include <algorithm>
#include <array>
#include <chrono>
#include <climits>
#include <cstring>
#include <limits>
#include <optional>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;
using Deadline = std::optional<Clock::time_point>;

// All 32 bits set: in the read interval, "return what waits"; in the read multiplier together
// with it, "the constant alone bounds the wait".
constexpr quint32 kMaxTimeout = std::numeric_limits<quint32>::max();
// A wait longer than a century is a wait without end; capping there keeps every deadline within
// what the clock's nanosecond count can hold.
constexpr qint64 kMaxTimeoutMs = 100LL * 365 * 24 * 60 * 60 * 1000;
// The C library's messages are short; this is room enough for any of them.
constexpr std::size_t kMessageBufferBytes = 256;

struct Speed {
  quint32 baud;
  speed_t speed;
};

// Every rate the mode text accepts, so that a parsed text always finds its speed here.
constexpr std::array<Speed, 19> kSpeeds = {{{110, B110},
                                            {150, B150},
                                            {200, B200},
                                            {300, B300},
                                            {600, B600},
                                            {1200, B1200},
                                            {1800, B1800},
                                            {2400, B2400},
                                            {4800, B4800},
                                            {9600, B9600},
                                            {19200, B19200},
                                            {38400, B38400},
                                            {57600, B57600},
                                            {115200, B115200},
                                            {230400, B230400},
                                            {460800, B460800},
                                            {500000, B500000},
                                            {576000, B576000},
                                            {921600, B921600}}};

// The framing bits applyLineSettings sets; a driver that quietly keeps others has refused them.
constexpr tcflag_t kFramingBits = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS;

std::optional<speed_t> speedOf(quint32 baud) {
  for (const Speed& s : kSpeeds) {
    if (s.baud == baud) {
      return s.speed;
    }
  }
  return std::nullopt;
}

std::optional<quint32> baudOf(speed_t speed) {
  for (const Speed& s : kSpeeds) {
    if (s.speed == speed) {
      return s.baud;
    }
  }
  return std::nullopt;
}

// multiplier × count + constant in milliseconds, saturating instead of overflowing.
qint64 totalMs(quint32 multiplier, qint64 count, quint32 constant) {
  const qint64 product = (multiplier != 0 && count > (kMaxTimeoutMs - constant) / multiplier)
                             ? kMaxTimeoutMs
                             : static_cast<qint64>(multiplier) * count;
  return std::min(kMaxTimeoutMs, product + static_cast<qint64>(constant));
}

Deadline deadlineAfter(qint64 ms) {
  if (ms <= 0) {
    return std::nullopt;
  }
  return Clock::now() + std::chrono::milliseconds(ms);
}

Deadline earlier(Deadline a, Deadline b) {
  if (!a) {
    return b;
  }
  if (!b) {
    return a;
  }
  return std::min(*a, *b);
}

// The two flavours of strerror_r: the GNU one returns the text, the POSIX one fills the buffer.
[[maybe_unused]] const char* messageText(int result, const char* buffer) {
  return result == 0 ? buffer : nullptr;
}
[[maybe_unused]] const char* messageText(const char* result, const char*) { return result; }

// "COM"n or "\\.\COM"n, any case, n in 1..256 without leading zeros; nothing for anything else.
std::optional<int> portNumberOf(QStringView name) {
  static constexpr QStringView kDevicePrefix = u"\\\\.\\";
  if (name.startsWith(kDevicePrefix)) {
    name = name.sliced(kDevicePrefix.size());
  }
  if (!name.startsWith(u"com", Qt::CaseInsensitive)) {
    return std::nullopt;
  }
  const QStringView digits = name.sliced(3);
  if (digits.isEmpty() || digits.size() > 3 || digits.front() == u'0') {
    return std::nullopt;
  }
  for (const QChar c : digits) {
    if (c < u'0' || c > u'9') {
      return std::nullopt;
    }
  }
  const int number = digits.toInt();
  if (number > LinuxSerialPortMap::kMaxPortNumber) {
    return std::nullopt;
  }
  return number;
}

// Raw input and output, the receiver on, modem status lines not needed to read, no flow
// control; reads never wait in the driver (the port's own time-outs bound every wait). The
// input, output and local modes are set whole rather than bit by bit: whatever another program
// left in them (XON/XOFF, parity marking or checking, CR and LF translation, echo) would change
// the bytes, drop them, or let the peer's XOFF byte stop our output. applyLineSettings adds back
// the flow control a mode text asks for.
void makePipe(termios& t) {
  t.c_iflag = 0;
  t.c_oflag = 0;
  t.c_lflag = 0;
  t.c_cflag &= ~CRTSCTS;
  t.c_cflag |= CLOCAL | CREAD;
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
}

class TermiosPort final : public SerialPort {
 public:
  explicit TermiosPort(int fd) : fd_(fd) {}
  ~TermiosPort() override { (void)close(); }
  TermiosPort(const TermiosPort&) = delete;
  TermiosPort& operator=(const TermiosPort&) = delete;

  bool setupBuffers(qint32 inputBytes, qint32 outputBytes) override {
    if (!isOpen()) {
      return false;
    }
    if (inputBytes < 0 || outputBytes < 0) {
      return fail(EINVAL);
    }
    return true;
  }

  bool purge() override { return isOpen() && (::tcflush(fd_, TCIOFLUSH) == 0 || failErrno()); }

  bool setTimeouts(const SerialTimeouts& timeouts) override {
    if (!isOpen()) {
      return false;
    }
    timeouts_ = timeouts;
    return true;
  }

  bool lineSettings(SerialLineSettings& settings) override {
    termios t{};
    if (!isOpen() || !getAttributes(t)) {
      return false;
    }
    using Parity = SerialLineSettings::Parity;
    using Switch = SerialLineSettings::Switch;
    SerialLineSettings result = applied_;
    if (const std::optional<quint32> baud = baudOf(::cfgetospeed(&t))) {
      result.baud = *baud;
    }
    if ((t.c_cflag & PARENB) == 0) {
      result.parity = Parity::None;
    } else if ((t.c_cflag & CMSPAR) != 0) {
      result.parity = (t.c_cflag & PARODD) != 0 ? Parity::Mark : Parity::Space;
    } else {
      result.parity = (t.c_cflag & PARODD) != 0 ? Parity::Odd : Parity::Even;
    }
    switch (t.c_cflag & CSIZE) {
      case CS5:
        result.dataBits = 5;
        break;
      case CS6:
        result.dataBits = 6;
        break;
      case CS7:
        result.dataBits = 7;
        break;
      default:
        result.dataBits = 8;
        break;
    }
    // CSTOPB cannot tell 1.5 from 2; what was applied says which one was meant.
    if ((t.c_cflag & CSTOPB) == 0) {
      result.stopBits = SerialLineSettings::StopBits::One;
    } else if (applied_.stopBits == SerialLineSettings::StopBits::One) {
      result.stopBits = SerialLineSettings::StopBits::Two;
    }
    result.xonXoff = (t.c_iflag & (IXON | IXOFF)) != 0 ? Switch::On : Switch::Off;
    const bool hardwareFlow = (t.c_cflag & CRTSCTS) != 0;
    if (!hardwareFlow) {
      result.ctsFlow = Switch::Off;
      if (result.rts == SerialLineSettings::LineControl::Handshake) {
        result.rts = SerialLineSettings::LineControl::On;
      }
    } else if (result.rts != SerialLineSettings::LineControl::Handshake) {
      result.ctsFlow = Switch::On;
    }
    settings = result;
    return true;
  }

  bool applyLineSettings(const SerialLineSettings& settings) override {
    using Parity = SerialLineSettings::Parity;
    using Switch = SerialLineSettings::Switch;
    using LineControl = SerialLineSettings::LineControl;
    termios before{};
    if (!isOpen() || !getAttributes(before)) {
      return false;
    }
    termios t = before;
    const std::optional<speed_t> speed = speedOf(settings.baud);
    if (!speed || settings.dataBits < 5 || settings.dataBits > 8) {
      return fail(EINVAL);
    }
    makePipe(t);
    t.c_cflag &= ~kFramingBits;
    static constexpr std::array<tcflag_t, 4> kSizes = {CS5, CS6, CS7, CS8};
    t.c_cflag |= kSizes[static_cast<std::size_t>(settings.dataBits - 5)];
    switch (settings.parity) {
      case Parity::None:
        break;
      case Parity::Even:
        t.c_cflag |= PARENB;
        break;
      case Parity::Odd:
        t.c_cflag |= PARENB | PARODD;
        break;
      case Parity::Mark:
        t.c_cflag |= PARENB | CMSPAR | PARODD;
        break;
      case Parity::Space:
        t.c_cflag |= PARENB | CMSPAR;
        break;
    }
    if (settings.stopBits != SerialLineSettings::StopBits::One) {
      t.c_cflag |= CSTOPB;
    }
    if (settings.ctsFlow == Switch::On || settings.rts == LineControl::Handshake) {
      t.c_cflag |= CRTSCTS;
    }
    if (settings.xonXoff == Switch::On) {
      t.c_iflag |= IXON | IXOFF;
    }
    if (::cfsetspeed(&t, *speed) != 0 || ::tcsetattr(fd_, TCSANOW, &t) != 0) {
      return failErrno();
    }
    // tcsetattr succeeds when any part was taken; a pseudo-terminal, for one, keeps 8 data bits
    // and no parity whatever it is asked. Settings the device did not take are a failure, as a
    // device that cannot take them always reported.
    termios taken{};
    if (!getAttributes(taken)) {
      return false;
    }
    if ((taken.c_cflag & kFramingBits) != (t.c_cflag & kFramingBits) ||
        ::cfgetospeed(&taken) != *speed) {
      // Back to what the port had, so that a refused change leaves it as it was.
      (void)::tcsetattr(fd_, TCSANOW, &before);
      return fail(EINVAL);
    }
    // Where the device has modem lines they follow the settings; a device without them (a
    // pseudo-terminal, many Bluetooth links) still carries data, so their absence is no failure.
    const auto setLine = [this](LineControl control, ModemLine line) {
      if (control == LineControl::On || control == LineControl::Off) {
        const int saved = lastError_;
        (void)setModemLine(line, control == LineControl::On);
        lastError_ = saved;
      }
    };
    setLine(settings.dtr, ModemLine::Dtr);
    setLine(settings.rts, ModemLine::Rts);
    applied_ = settings;
    return true;
  }

  std::optional<Status> clearError() override {
    int waiting = 0;
    if (!isOpen()) {
      return std::nullopt;
    }
    if (::ioctl(fd_, FIONREAD, &waiting) != 0) {
      (void)failErrno();
      return std::nullopt;
    }
    // termios keeps no error flags to hand back; overruns and framing errors are not reported.
    return Status{waiting, 0};
  }

  qint64 read(char* buffer, qint64 maxBytes) override {
    if (!isOpen()) {
      return -1;
    }
    if (maxBytes < 0 || (maxBytes > 0 && buffer == nullptr)) {
      (void)fail(EINVAL);
      return -1;
    }
    if (maxBytes == 0) {
      return 0;
    }
    if (timeouts_.readInterval == kMaxTimeout) {
      return readWhatWaits(buffer, maxBytes);
    }
    return readFilling(buffer, maxBytes);
  }

  qint64 write(const QByteArray& bytes) override {
    if (!isOpen()) {
      return -1;
    }
    const qint64 size = bytes.size();
    const Deadline deadline =
        deadlineAfter(totalMs(timeouts_.writeTotalMultiplier, size, timeouts_.writeTotalConstant));
    qint64 done = 0;
    bool hungUp = false;
    while (done < size) {
      const ssize_t n =
          ::write(fd_, bytes.constData() + done, static_cast<std::size_t>(size - done));
      if (n > 0) {
        done += n;
        continue;
      }
      if (n < 0 && errno == EINTR) {
        continue;
      }
      if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
        (void)failErrno();
        return done > 0 ? done : -1;
      }
      if (hungUp) {
        (void)fail(EIO);
        return done > 0 ? done : -1;
      }
      const Wait wait = waitFor(POLLOUT, deadline);
      if (wait == Wait::Failed) {
        return done > 0 ? done : -1;
      }
      if (wait == Wait::TimedOut) {
        // Time is up: what went out is the result, as a write that timed out always reported.
        (void)fail(ETIMEDOUT);
        break;
      }
      hungUp = wait == Wait::HungUp;
    }
    return done;
  }

  bool setModemLine(ModemLine line, bool on) override {
    if (!isOpen()) {
      return false;
    }
    int result = -1;
    switch (line) {
      case ModemLine::Break:
        result = ::ioctl(fd_, on ? TIOCSBRK : TIOCCBRK);
        break;
      case ModemLine::Dtr:
      case ModemLine::Rts: {
        const int bits = line == ModemLine::Dtr ? TIOCM_DTR : TIOCM_RTS;
        result = ::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bits);
        break;
      }
      default:
        return fail(EINVAL);
    }
    return result == 0 || failErrno();
  }

  bool close() override {
    if (fd_ < 0) {
      // Nothing left to release: a second close is not a failure.
      return true;
    }
    (void)::ioctl(fd_, TIOCNXCL);
    const int fd = std::exchange(fd_, -1);
    // Linux releases the descriptor (and the lock with it) even when close reports an error, so
    // the port is closed either way; only an error other than an interruption is reported.
    if (::close(fd) != 0 && errno != EINTR) {
      return failErrno();
    }
    return true;
  }

  int lastError() const override { return lastError_; }

 private:
  bool isOpen() {
    if (fd_ < 0) {
      return fail(EBADF);
    }
    return true;
  }
  bool fail(int code) {
    lastError_ = code;
    return false;
  }
  bool failErrno() { return fail(errno); }

  bool getAttributes(termios& t) { return ::tcgetattr(fd_, &t) == 0 || failErrno(); }

  // Reads what the driver holds now: the count, 0 when nothing waits, -1 on failure.
  qint64 readNow(char* buffer, qint64 maxBytes) {
    const auto count =
        static_cast<std::size_t>(std::min<qint64>(maxBytes, std::numeric_limits<ssize_t>::max()));
    for (;;) {
      const ssize_t n = ::read(fd_, buffer, count);
      if (n >= 0) {
        return n;
      }
      if (errno == EINTR) {
        continue;
      }
      if (errno == EAGAIN || errno == EWOULDBLOCK) {
        return 0;
      }
      (void)failErrno();
      return -1;
    }
  }

  enum class Wait { Ready, HungUp, TimedOut, Failed };

  // Until the device is ready for `events` or the deadline passes; no deadline waits for as long
  // as it takes, a deadline already passed looks once without waiting. A device that has gone
  // away (the other end of a pseudo-terminal closed, a USB adapter pulled) is ready for ever and
  // has nothing: HungUp tells the caller not to wait on it again.
  Wait waitFor(short events, Deadline deadline) {
    for (;;) {
      int timeout = -1;
      if (deadline) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now()).count();
        timeout = static_cast<int>(std::clamp<qint64>(left, 0, INT_MAX));
      }
      pollfd p{fd_, events, 0};
      const int r = ::poll(&p, 1, timeout);
      if (r < 0) {
        if (errno == EINTR) {
          continue;
        }
        (void)failErrno();
        return Wait::Failed;
      }
      if (r == 0) {
        if (timeout == 0 || Clock::now() >= *deadline) {
          return Wait::TimedOut;
        }
        continue;  // a long wait comes back in parts
      }
      if ((p.revents & POLLNVAL) != 0) {
        (void)fail(EBADF);
        return Wait::Failed;
      }
      return (p.revents & (POLLHUP | POLLERR)) != 0 ? Wait::HungUp : Wait::Ready;
    }
  }

  // Nothing read after the device said it had gone: the read fails as on a removed device.
  qint64 goneResult(qint64 done) {
    (void)fail(EIO);
    return done > 0 ? done : -1;
  }

  // Interval time-out "all bits set": whatever waits comes back at once; when nothing does, the
  // first bytes to arrive within the total time-out come back as soon as they are there.
  qint64 readWhatWaits(char* buffer, qint64 maxBytes) {
    const qint64 n = readNow(buffer, maxBytes);
    if (n != 0) {
      return n;
    }
    const quint32 multiplier =
        timeouts_.readTotalMultiplier == kMaxTimeout ? 0 : timeouts_.readTotalMultiplier;
    const qint64 waitMs = totalMs(multiplier, maxBytes, timeouts_.readTotalConstant);
    const Wait wait = waitFor(POLLIN, Clock::now() + std::chrono::milliseconds(waitMs));
    switch (wait) {
      case Wait::Failed:
        return -1;
      case Wait::TimedOut:
        return 0;
      case Wait::Ready:
        return readNow(buffer, maxBytes);
      case Wait::HungUp:
        break;
    }
    const qint64 last = readNow(buffer, maxBytes);
    return last != 0 ? last : goneResult(0);
  }

  // Any other time-outs: fill the buffer until the total time-out ends, or until the interval
  // time-out passes between two bytes once the first has come; neither set waits until full.
  qint64 readFilling(char* buffer, qint64 maxBytes) {
    const Deadline total = deadlineAfter(
        totalMs(timeouts_.readTotalMultiplier, maxBytes, timeouts_.readTotalConstant));
    Deadline interval;
    bool hungUp = false;
    qint64 done = 0;
    while (done < maxBytes) {
      const qint64 n = readNow(buffer + done, maxBytes - done);
      if (n < 0) {
        return done > 0 ? done : -1;
      }
      done += n;
      if (done == maxBytes) {
        break;
      }
      if (n == 0 && hungUp) {
        return goneResult(done);
      }
      if (n > 0 && timeouts_.readInterval != 0) {
        interval = deadlineAfter(timeouts_.readInterval);
      }
      const Wait wait = waitFor(POLLIN, earlier(total, interval));
      if (wait == Wait::Failed) {
        return done > 0 ? done : -1;
      }
      if (wait == Wait::TimedOut) {
        break;
      }
      hungUp = wait == Wait::HungUp;
    }
    return done;
  }

  int fd_;
  int lastError_ = 0;
  SerialTimeouts timeouts_;
  // What termios cannot hold of the line settings, as last applied.
  SerialLineSettings applied_;
};

}  // namespace

TermiosSerialDevices::TermiosSerialDevices(LinuxSerialPortMap portMap)
    : portMap_(std::move(portMap)) {}

std::unique_ptr<SerialPort> TermiosSerialDevices::open(const QString& portName) {
  const std::optional<int> number = portNumberOf(portName);
  const std::optional<QString> path = number ? portMap_.devicePath(*number) : std::nullopt;
  if (!path) {
    lastError_ = ENOENT;
    return nullptr;
  }
  // Non-blocking from the start: a device without carrier would otherwise hold the open until
  // carrier came. It stays so, since every wait is a poll() with the port's time-outs.
  const QByteArray encoded = path->toLocal8Bit();
  const int fd = ::open(encoded.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    lastError_ = errno;
    return nullptr;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    lastError_ = (errno == EWOULDBLOCK) ? EBUSY : errno;
    (void)::close(fd);
    return nullptr;
  }
  // Only after the lock is ours: marking a device that someone else holds would change their
  // port. Not a tty at all shows as a failure of the line settings that follow.
  (void)::ioctl(fd, TIOCEXCL);
  termios t{};
  if (::tcgetattr(fd, &t) == 0) {
    makePipe(t);
    (void)::tcsetattr(fd, TCSANOW, &t);
  }
  return std::make_unique<TermiosPort>(fd);
}

QString TermiosSerialDevices::systemMessage(int code) const {
  std::array<char, kMessageBufferBytes> buffer{};
  const char* text = messageText(::strerror_r(code, buffer.data(), buffer.size()), buffer.data());
  QString message =
      text != nullptr ? QString::fromLocal8Bit(text) : QStringLiteral("Unknown error %1").arg(code);
  // Spaces only: a line break that ends the system's text is part of it.
  qsizetype begin = 0;
  qsizetype end = message.size();
  while (begin < end && message[begin] == u' ') {
    ++begin;
  }
  while (end > begin && message[end - 1] == u' ') {
    --end;
  }
  return message.sliced(begin, end - begin);
}
