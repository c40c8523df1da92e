#pragma once

#include <QColor>
#include <QPixmap>
#include <QtGlobal>

#include "agent/LibControls.h"

// The tab strip's bitmaps, drawn here rather than shipped as files, at the pixel sizes the strip's
// layout was made for. Each call draws a fresh bitmap; a control that shows one bitmap in several
// places keeps one copy and hands it on (QPixmap shares it).
namespace TabArtwork {

// Layout sizes are given in twips; the widgets need whole pixels.
constexpr int pixelsFromTwips(int twips) {
  return (twips + LibControls::kTwipsPerPixel / 2) / LibControls::kTwipsPerPixel;
}

// Colours come as &H00BBGGRR values: red in the low byte.
constexpr quint32 kCaptionWhite = 0x00FFFFFF;
constexpr quint32 kCaptionYellow = 0x0000FFFF;
QColor colorFromColorRef(quint32 bgr);

// 2 x 35: the strip's background, light blue-violet at the top to dark blue at the bottom. A tab
// at rest shows it too, so that only its caption stands on the bare strip.
QPixmap stripBackground();
// 3 x 25: the divider at the right edge of every tab and menu button.
QPixmap separator();
// 64 x 36: the rounded tab under the mouse, a lighter blue-violet.
QPixmap tabOver();
// 65 x 36: the rounded tab while pressed and while selected, dark navy.
QPixmap tabDown();
// 6 x 6: the plain background of a menu button.
QPixmap menuBackground();
// 22 x 36 each: a pale button face with a small downward arrow, at rest, under the mouse and
// pressed.
QPixmap menuNormal();
QPixmap menuOver();
QPixmap menuDown();

}  // namespace TabArtwork
