#pragma once

#include <QtGlobal>

// Bounds on what the other side (a file, the handheld, the desktop) can make us hold or wait for.
namespace limits {

// A notes file larger than this is treated as unreadable: no real presentation comes near it,
// and reading it whole would cost memory in proportion to whatever a damaged disk holds.
inline constexpr qint64 kMaxNotesFileBytes = 64LL * 1024 * 1024;

// The most slides a notes file may declare. Beyond it, SLIDE_COUNT is impossible and the read
// ends before any slide record is made.
inline constexpr qint32 kMaxSlideCount = 100000;

// A SLIDE element needs at least "<SLIDE></SLIDE>": a text shorter than that many characters per
// declared slide cannot hold the slides it declares.
inline constexpr qint32 kMinSlideElementChars = 15;

}  // namespace limits
