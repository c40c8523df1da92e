#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <vector>

// Cuts the bytes received from the agent into frames "<<" … ">>" and the junk between them. A
// frame is only known once its ">>" arrives, so the junk in front of it is handed out together
// with it, and whatever is still waiting at the end is junk.
class FrameReader {
 public:
  // A frame that has not ended after this many bytes is given up as junk, so that a peer that
  // never sends ">>" cannot make us hold an unbounded buffer.
  static constexpr qsizetype kMaxPendingBytes = 1024 * 1024;

  struct Received {
    enum class Kind { Junk, Frame };
    Kind kind;
    QByteArray bytes;
  };

  [[nodiscard]] std::vector<Received> feed(QByteArrayView bytes);
  // What is left when the line ends: junk, possibly the start of a frame that never ended.
  [[nodiscard]] QByteArray takeRest();

 private:
  QByteArray pending_;
};
