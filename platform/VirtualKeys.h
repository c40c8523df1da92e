#pragma once

#include <QtGlobal>

// The virtual-key numbers that name keys in the handheld's commands and in InputSynthesis.
// Letters and digits are their upper-case character codes ('A' = 65, '0' = 48).
namespace VirtualKey {
constexpr quint16 kBackspace = 8;
constexpr quint16 kTab = 9;
constexpr quint16 kEnter = 13;
constexpr quint16 kShift = 16;
constexpr quint16 kControl = 17;
constexpr quint16 kAlt = 18;
constexpr quint16 kEscape = 27;
constexpr quint16 kSpace = 32;
constexpr quint16 kPageUp = 33;
constexpr quint16 kPageDown = 34;
constexpr quint16 kEnd = 35;
constexpr quint16 kHome = 36;
constexpr quint16 kLeft = 37;
constexpr quint16 kUp = 38;
constexpr quint16 kRight = 39;
constexpr quint16 kDown = 40;
constexpr quint16 kInsert = 45;
constexpr quint16 kDelete = 46;
constexpr quint16 kLeftLogo = 91;  // the left "Windows" key
constexpr quint16 kF1 = 112;       // kF1 + n - 1 is Fn, up to F12
constexpr quint16 kF12 = 123;
constexpr quint16 kVolumeMute = 173;
constexpr quint16 kVolumeDown = 174;
constexpr quint16 kVolumeUp = 175;
constexpr quint16 kMediaNext = 176;
constexpr quint16 kMediaPrevious = 177;
constexpr quint16 kMediaStop = 178;
constexpr quint16 kMediaPlayPause = 179;
}  // namespace VirtualKey
