#include "tools/FrameReader.h"

#include <utility>

namespace {
constexpr QByteArrayView kFrameStart = "<<";
constexpr QByteArrayView kFrameEnd = ">>";
}  // namespace

std::vector<FrameReader::Received> FrameReader::feed(QByteArrayView bytes) {
  pending_.append(bytes);
  std::vector<Received> out;
  qsizetype used = 0;
  while (true) {
    const qsizetype start = pending_.indexOf(kFrameStart, used);
    if (start < 0) {
      break;
    }
    const qsizetype end = pending_.indexOf(kFrameEnd, start + kFrameStart.size());
    if (end < 0) {
      break;
    }
    if (start > used) {
      out.push_back({Received::Kind::Junk, pending_.mid(used, start - used)});
    }
    const qsizetype frameEnd = end + kFrameEnd.size();
    out.push_back({Received::Kind::Frame, pending_.mid(start, frameEnd - start)});
    used = frameEnd;
  }
  pending_.remove(0, used);
  if (pending_.size() > kMaxPendingBytes) {
    // The last byte may be the first "<" of the next frame's start.
    const qsizetype given = pending_.size() - 1;
    out.push_back({Received::Kind::Junk, pending_.left(given)});
    pending_.remove(0, given);
  }
  return out;
}

QByteArray FrameReader::takeRest() { return std::exchange(pending_, {}); }
