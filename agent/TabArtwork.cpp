#include "agent/TabArtwork.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <initializer_list>
#include <vector>

namespace TabArtwork {
namespace {

const QColor kStripTop(108, 113, 206);
const QColor kStripMiddle(75, 82, 195);
const QColor kStripBottom(52, 58, 156);

int blend(int from, int to, double t) { return qRound(from + (to - from) * t); }

QColor blend(const QColor& from, const QColor& to, double t) {
  return QColor(blend(from.red(), to.red(), t), blend(from.green(), to.green(), t),
                blend(from.blue(), to.blue(), t));
}

// Row by row rather than through QLinearGradient, so that the first and last rows carry the end
// colours exactly whatever the height.
QImage verticalGradient(int width, int height, std::initializer_list<QColor> stops) {
  const std::vector<QColor> colours(stops);
  QImage image(width, height, QImage::Format_RGB32);
  const int segments = static_cast<int>(colours.size()) - 1;
  for (int y = 0; y < height; ++y) {
    const double position = height > 1 ? static_cast<double>(y) / (height - 1) : 0.0;
    const double scaled = position * segments;
    const int segment = qMin(static_cast<int>(scaled), segments - 1);
    const QColor colour = blend(colours[static_cast<size_t>(segment)],
                                colours[static_cast<size_t>(segment) + 1], scaled - segment);
    for (int x = 0; x < width; ++x) image.setPixel(x, y, colour.rgb());
  }
  return image;
}

QImage stripGradient(int width, int height) {
  return verticalGradient(width, height, {kStripTop, kStripMiddle, kStripBottom});
}

// A tab standing on the strip: rounded top corners, open at the bottom, where it meets the page
// below. The corners left outside keep the strip's own gradient.
QPixmap roundedTab(int width, int height, const QColor& top, const QColor& bottom,
                   const QColor& rim) {
  QImage image = stripGradient(width, height);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF body(1.5, 2.5, width - 3.0, height + 8.0);
  QPainterPath outline;
  outline.addRoundedRect(body, 6.0, 6.0);
  QLinearGradient fill(0.0, body.top(), 0.0, height);
  fill.setColorAt(0.0, top);
  fill.setColorAt(1.0, bottom);
  painter.fillPath(outline, fill);
  painter.setPen(QPen(rim, 1.0));
  painter.drawPath(outline);
  painter.end();
  return QPixmap::fromImage(image);
}

QPixmap menuFace(const QColor& top, const QColor& bottom, int arrowOffset) {
  constexpr int kWidth = 22;
  constexpr int kHeight = 36;
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  image.fill(QColor(89, 95, 196));
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF face(2.5, 5.5, kWidth - 5.0, kHeight - 11.0);
  QPainterPath outline;
  outline.addRoundedRect(face, 3.0, 3.0);
  QLinearGradient fill(0.0, face.top(), 0.0, face.bottom());
  fill.setColorAt(0.0, top);
  fill.setColorAt(1.0, bottom);
  painter.fillPath(outline, fill);
  painter.setPen(QPen(QColor(58, 64, 150), 1.0));
  painter.drawPath(outline);
  const double dx = arrowOffset;
  const QPolygonF arrow(
      {QPointF(7.0 + dx, 16.0 + dx), QPointF(15.0 + dx, 16.0 + dx), QPointF(11.0 + dx, 21.0 + dx)});
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(28, 32, 88));
  painter.drawPolygon(arrow);
  painter.end();
  return QPixmap::fromImage(image);
}

}  // namespace

QColor colorFromColorRef(quint32 bgr) {
  return QColor(static_cast<int>(bgr & 0xFFu), static_cast<int>((bgr >> 8) & 0xFFu),
                static_cast<int>((bgr >> 16) & 0xFFu));
}

QPixmap stripBackground() { return QPixmap::fromImage(stripGradient(2, 35)); }

QPixmap separator() {
  return QPixmap::fromImage(verticalGradient(3, 25, {QColor(101, 107, 204), QColor(52, 58, 156)}));
}

QPixmap tabOver() {
  return roundedTab(64, 36, QColor(104, 110, 205), QColor(69, 76, 193), QColor(128, 134, 222));
}

QPixmap tabDown() {
  return roundedTab(65, 36, QColor(52, 55, 146), QColor(30, 31, 100), QColor(36, 38, 108));
}

QPixmap menuBackground() {
  QImage image(6, 6, QImage::Format_RGB32);
  image.fill(QColor(89, 95, 196));
  return QPixmap::fromImage(image);
}

QPixmap menuNormal() { return menuFace(QColor(216, 224, 248), QColor(178, 190, 236), 0); }

QPixmap menuOver() { return menuFace(QColor(238, 242, 255), QColor(200, 210, 247), 0); }

// The pressed face is shaded the other way round and its arrow sits a pixel lower and right, as
// if pushed in.
QPixmap menuDown() { return menuFace(QColor(166, 178, 228), QColor(206, 215, 245), 1); }

}  // namespace TabArtwork
