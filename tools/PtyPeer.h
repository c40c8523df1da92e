#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <memory>

// The simulator's end of the serial line: an existing serial device, or the master side of a
// pseudo-terminal whose slave the agent opens. The descriptor is non-blocking; the session polls
// fd() and calls the read and write here when it is ready.
class PtyPeer {
 public:
  enum class Io { Ok, HungUp };

  // Nothing, with a message in `error`, when the device cannot be opened or is no terminal.
  [[nodiscard]] static std::unique_ptr<PtyPeer> openDevice(const QString& path, QString& error);
  // A new pseudo-terminal; with a `linkPath`, also a symbolic link there to its slave.
  [[nodiscard]] static std::unique_ptr<PtyPeer> createPty(const QString& linkPath, QString& error);

  // Takes over `fd`.
  PtyPeer(int fd, QString devicePath, bool isPty);
  ~PtyPeer();
  PtyPeer(const PtyPeer&) = delete;
  PtyPeer& operator=(const PtyPeer&) = delete;

  [[nodiscard]] int fd() const { return fd_; }
  // The path the agent opens: the device, or the pty's slave.
  [[nodiscard]] const QString& devicePath() const { return devicePath_; }
  [[nodiscard]] bool isPty() const { return isPty_; }

  // Appends what has arrived to `into`.
  [[nodiscard]] Io readAvailable(QByteArray& into);
  // Writes as much of `bytes` as the line takes now; `written` says how much that was.
  [[nodiscard]] Io writeSome(QByteArrayView bytes, qsizetype& written);
  // True while nobody holds the other end: the agent closed the slave, or the device went away.
  [[nodiscard]] bool hungUp() const;
  // Bytes that have arrived and wait to be read; 0 when that cannot be told.
  [[nodiscard]] qint64 bytesWaiting() const;
  // Raw 57600 8N1 again: whoever held the other end may have changed the shared settings.
  [[nodiscard]] bool restoreLineSettings();

 private:
  [[nodiscard]] bool makeLink(const QString& linkPath, QString& error);

  int fd_;
  QString devicePath_;
  bool isPty_;
  QString linkPath_;
};
