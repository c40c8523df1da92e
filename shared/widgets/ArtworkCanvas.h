#pragma once

#include <QPixmap>
#include <QSize>

class QPainter;

// What the programs' drawn pictures start from.
namespace artwork {

// A transparent picture of `size` logical pixels, in the screen's own resolution.
[[nodiscard]] QPixmap Canvas(QSize size);
// Smooth edges and text for a painter on such a picture.
void Smooth(QPainter& painter);

}  // namespace artwork
