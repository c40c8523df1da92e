#pragma once

#include <QRect>

// The windows are laid out in twips, 15 to a pixel at 96 dots per inch.
namespace twips {

inline constexpr int kTwipsPerPixel = 15;

[[nodiscard]] constexpr int px(int twips) { return twips / kTwipsPerPixel; }

[[nodiscard]] constexpr QRect rect(int left, int top, int width, int height) {
  return {px(left), px(top), px(width), px(height)};
}

}  // namespace twips
