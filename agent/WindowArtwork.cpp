#include "agent/WindowArtwork.h"

#include <QFont>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <QRectF>
#include <array>

#include "shared/widgets/ArtworkCanvas.h"

namespace {

constexpr std::array<int, 3> kIconPixels = {16, 32, 48};

QColor brighter(QColor colour, WindowArtwork::Look look) {
  return look == WindowArtwork::Look::Pressed ? colour.lighter(135) : colour;
}

// The face of a picture button: a rounded plate a shade lighter than the tab strip beneath it.
void drawButtonFace(QPainter& painter, QSizeF size, WindowArtwork::Look look) {
  const QRectF plate(1.5, 1.5, size.width() - 3.0, size.height() - 3.0);
  QLinearGradient fill(plate.topLeft(), plate.bottomLeft());
  fill.setColorAt(0.0, brighter(QColor(104, 110, 205), look));
  fill.setColorAt(1.0, brighter(QColor(60, 66, 176), look));
  painter.setPen(QPen(QColor(30, 32, 96), 1.0));
  painter.setBrush(fill);
  painter.drawRoundedRect(plate, 7.0, 7.0);
  // A highlight along the top edge gives the plate its depth.
  painter.setPen(QPen(brighter(QColor(150, 156, 230), look), 1.0));
  painter.drawLine(QPointF(plate.left() + 7.0, plate.top() + 1.0),
                   QPointF(plate.right() - 7.0, plate.top() + 1.0));
}

void drawGlobeAt(QPainter& painter, QPointF centre, qreal radius, WindowArtwork::Look look) {
  const QRectF ball(centre.x() - radius, centre.y() - radius, 2.0 * radius, 2.0 * radius);
  QRadialGradient sea(centre - QPointF(radius / 3.0, radius / 3.0), radius * 1.4);
  sea.setColorAt(0.0, brighter(QColor(120, 200, 255), look));
  sea.setColorAt(1.0, brighter(QColor(20, 90, 190), look));
  painter.setPen(Qt::NoPen);
  painter.setBrush(sea);
  painter.drawEllipse(ball);

  QPainterPath clip;
  clip.addEllipse(ball);
  painter.save();
  painter.setClipPath(clip);
  // Two land masses, enough to read as a globe at this size.
  painter.setBrush(brighter(QColor(70, 170, 80), look));
  QPainterPath west;
  west.moveTo(centre + QPointF(-radius * 0.75, -radius * 0.55));
  west.cubicTo(centre + QPointF(-radius * 0.1, -radius * 0.9),
               centre + QPointF(radius * 0.05, -radius * 0.2),
               centre + QPointF(-radius * 0.3, radius * 0.05));
  west.cubicTo(centre + QPointF(-radius * 0.1, radius * 0.5),
               centre + QPointF(-radius * 0.35, radius * 0.95),
               centre + QPointF(-radius * 0.55, radius * 0.4));
  west.cubicTo(centre + QPointF(-radius * 0.9, radius * 0.1),
               centre + QPointF(-radius * 1.0, -radius * 0.3),
               centre + QPointF(-radius * 0.75, -radius * 0.55));
  painter.drawPath(west);
  QPainterPath east;
  east.moveTo(centre + QPointF(radius * 0.25, -radius * 0.7));
  east.cubicTo(centre + QPointF(radius * 0.9, -radius * 0.8),
               centre + QPointF(radius * 1.0, -radius * 0.1),
               centre + QPointF(radius * 0.6, radius * 0.2));
  east.cubicTo(centre + QPointF(radius * 0.55, radius * 0.7),
               centre + QPointF(radius * 0.2, radius * 0.6),
               centre + QPointF(radius * 0.3, radius * 0.1));
  east.cubicTo(centre + QPointF(radius * 0.05, -radius * 0.2),
               centre + QPointF(radius * 0.0, -radius * 0.5),
               centre + QPointF(radius * 0.25, -radius * 0.7));
  painter.drawPath(east);

  // The grid of meridians and parallels.
  painter.setBrush(Qt::NoBrush);
  painter.setPen(
      QPen(QColor(255, 255, 255, look == WindowArtwork::Look::Pressed ? 170 : 110), 1.0));
  for (const qreal width : {0.0, 0.55, 1.0}) {
    painter.drawEllipse(centre, radius * width, radius);
  }
  for (const qreal height : {-0.5, 0.0, 0.5}) {
    const qreal y = centre.y() + radius * height;
    painter.drawLine(QPointF(ball.left(), y), QPointF(ball.right(), y));
  }
  painter.restore();

  painter.setPen(QPen(brighter(QColor(10, 40, 110), look), 1.0));
  painter.setBrush(Qt::NoBrush);
  painter.drawEllipse(ball);
}

QPixmap drawLamp(int pixels, bool lit) {
  QPixmap pixmap(pixels, pixels);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  artwork::Smooth(painter);
  const qreal size = pixels;
  const QPointF centre(size / 2.0, size / 2.0);
  const qreal radius = size * 0.42;
  QRadialGradient glass(centre - QPointF(radius / 3.0, radius / 3.0), radius * 1.3);
  if (lit) {
    glass.setColorAt(0.0, QColor(220, 255, 200));
    glass.setColorAt(0.5, QColor(60, 230, 60));
    glass.setColorAt(1.0, QColor(0, 140, 20));
  } else {
    glass.setColorAt(0.0, QColor(120, 150, 120));
    glass.setColorAt(1.0, QColor(20, 60, 25));
  }
  painter.setPen(QPen(QColor(20, 24, 40), qMax(1.0, size / 16.0)));
  painter.setBrush(glass);
  painter.drawEllipse(centre, radius, radius);
  return pixmap;
}

QPixmap drawProgramIcon(int pixels) {
  QPixmap pixmap(pixels, pixels);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  artwork::Smooth(painter);
  const qreal s = pixels / 16.0;
  // A handheld seen from the front: body, screen and a row of buttons.
  const QRectF body(3.0 * s, 0.5 * s, 10.0 * s, 15.0 * s);
  QLinearGradient metal(body.topLeft(), body.topRight());
  metal.setColorAt(0.0, QColor(70, 76, 170));
  metal.setColorAt(1.0, QColor(38, 40, 113));
  painter.setPen(QPen(QColor(15, 16, 50), qMax(1.0, s * 0.6)));
  painter.setBrush(metal);
  painter.drawRoundedRect(body, 2.0 * s, 2.0 * s);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(255, 255, 128));
  painter.drawRect(QRectF(4.5 * s, 2.0 * s, 7.0 * s, 8.0 * s));
  painter.setBrush(QColor(255, 255, 255));
  for (int i = 0; i < 3; ++i) {
    painter.drawEllipse(QPointF((5.5 + 2.5 * i) * s, 12.8 * s), 0.9 * s, 0.9 * s);
  }
  return pixmap;
}

}  // namespace

QPixmap WindowArtwork::globe(Look look) {
  QPixmap pixmap = artwork::Canvas(kPictureButtonSize);
  QPainter painter(&pixmap);
  artwork::Smooth(painter);
  drawButtonFace(painter, kPictureButtonSize, look);
  drawGlobeAt(painter, QPointF(kPictureButtonSize.width() / 2.0, kPictureButtonSize.height() / 2.0),
              12.5, look);
  return pixmap;
}

QPixmap WindowArtwork::questionBubble(Look look) {
  QPixmap pixmap = artwork::Canvas(kPictureButtonSize);
  QPainter painter(&pixmap);
  artwork::Smooth(painter);
  drawButtonFace(painter, kPictureButtonSize, look);

  const QRectF bubble(19.0, 6.0, 28.0, 19.0);
  QPainterPath shape;
  shape.addRoundedRect(bubble, 8.0, 8.0);
  QPainterPath tail;
  tail.moveTo(24.0, 22.0);
  tail.lineTo(21.0, 30.5);
  tail.lineTo(31.0, 23.0);
  tail.closeSubpath();
  shape = shape.united(tail);
  painter.setPen(QPen(brighter(QColor(20, 40, 120), look), 1.0));
  painter.setBrush(look == Look::Pressed ? QColor(255, 255, 255) : QColor(225, 232, 250));
  painter.drawPath(shape);

  QFont mark;
  mark.setPixelSize(16);
  mark.setBold(true);
  painter.setFont(mark);
  painter.setPen(brighter(QColor(30, 60, 180), look));
  painter.drawText(bubble, Qt::AlignCenter, QStringLiteral("?"));
  return pixmap;
}

QPixmap WindowArtwork::bluetooth(QSize size) {
  QPixmap pixmap = artwork::Canvas(size);
  QPainter painter(&pixmap);
  artwork::Smooth(painter);
  const qreal w = size.width();
  const qreal h = size.height();
  // The blue oval with the white rune.
  painter.setPen(QPen(QColor(0, 60, 150), 1.0));
  painter.setBrush(QColor(0, 110, 230));
  painter.drawRoundedRect(QRectF(1.5, 0.5, w - 3.0, h - 1.0), w * 0.45, h * 0.3);

  const qreal cx = w * 0.5;
  const qreal left = w * 0.28;
  const qreal right = w * 0.72;
  const qreal top = h * 0.15;
  const qreal bottom = h * 0.85;
  const QPolygonF rune{QPointF(left, h * 0.32), QPointF(right, h * 0.66), QPointF(cx, bottom),
                       QPointF(cx, top),        QPointF(right, h * 0.34), QPointF(left, h * 0.68)};
  QPen stroke(Qt::white, qMax(2.0, w / 12.0));
  stroke.setJoinStyle(Qt::MiterJoin);
  stroke.setCapStyle(Qt::FlatCap);
  painter.setPen(stroke);
  painter.setBrush(Qt::NoBrush);
  painter.drawPolyline(rune);
  return pixmap;
}

QPixmap WindowArtwork::keyboardKey(QSize size) {
  QPixmap pixmap = artwork::Canvas(size);
  QPainter painter(&pixmap);
  artwork::Smooth(painter);
  const qreal w = size.width();
  const qreal h = size.height();
  // The key's skirt, then its top face, lit from the upper left.
  const QRectF skirt(1.5, 1.5, w - 3.0, h - 3.0);
  painter.setPen(QPen(QColor(30, 30, 40), 1.0));
  painter.setBrush(QColor(150, 152, 165));
  painter.drawRoundedRect(skirt, 5.0, 5.0);
  const QRectF face(skirt.left() + w * 0.12, skirt.top() + h * 0.06, skirt.width() - w * 0.24,
                    skirt.height() - h * 0.26);
  QLinearGradient lit(face.topLeft(), face.bottomRight());
  lit.setColorAt(0.0, QColor(250, 250, 252));
  lit.setColorAt(1.0, QColor(200, 202, 212));
  painter.setPen(QPen(QColor(120, 122, 135), 1.0));
  painter.setBrush(lit);
  painter.drawRoundedRect(face, 4.0, 4.0);

  // The legend: the Enter key's hooked arrow, which starts what it names.
  const qreal right = face.right() - face.width() * 0.22;
  const qreal left = face.left() + face.width() * 0.22;
  const qreal top = face.top() + face.height() * 0.25;
  const qreal base = face.top() + face.height() * 0.68;
  const qreal head = face.height() * 0.2;
  QPen arrow(QColor(38, 40, 113), qMax(1.5, face.height() / 11.0));
  arrow.setCapStyle(Qt::RoundCap);
  arrow.setJoinStyle(Qt::RoundJoin);
  painter.setPen(arrow);
  painter.setBrush(Qt::NoBrush);
  painter.drawPolyline(QPolygonF{QPointF(right, top), QPointF(right, base), QPointF(left, base)});
  painter.setBrush(QColor(38, 40, 113));
  painter.drawPolygon(QPolygonF{QPointF(left - head * 0.2, base), QPointF(left + head, base - head),
                                QPointF(left + head, base + head)});
  return pixmap;
}

QPixmap WindowArtwork::toolImage(Tool tool) {
  constexpr QSize kSize(kToolImagePixels, kToolImagePixels);
  QPixmap pixmap = artwork::Canvas(kSize);
  QPainter painter(&pixmap);
  artwork::Smooth(painter);
  const QPointF centre(16.0, 16.0);

  // Stop and play: a round lamp-coloured button with the white symbol.
  const auto roundButton = [&painter, &centre](QColor light, QColor dark) {
    QRadialGradient fill(centre - QPointF(5.0, 5.0), 18.0);
    fill.setColorAt(0.0, light);
    fill.setColorAt(1.0, dark);
    painter.setPen(QPen(dark.darker(150), 1.0));
    painter.setBrush(fill);
    painter.drawEllipse(centre, 14.0, 14.0);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
  };

  switch (tool) {
    case Tool::Exit: {
      // A door standing open with an arrow leaving through it.
      painter.setPen(QPen(QColor(60, 40, 20), 1.0));
      painter.setBrush(QColor(170, 110, 60));
      painter.drawRect(QRectF(6.5, 3.5, 14.0, 25.0));
      painter.setBrush(QColor(60, 40, 20));
      painter.drawRect(QRectF(9.5, 6.5, 8.0, 19.0));
      QPen arrow(QColor(200, 30, 30), 3.0);
      arrow.setCapStyle(Qt::RoundCap);
      painter.setPen(arrow);
      painter.drawLine(QPointF(14.0, 16.0), QPointF(27.0, 16.0));
      painter.drawLine(QPointF(27.0, 16.0), QPointF(22.5, 11.5));
      painter.drawLine(QPointF(27.0, 16.0), QPointF(22.5, 20.5));
      break;
    }
    case Tool::About: {
      roundButton(QColor(140, 180, 255), QColor(30, 70, 190));
      QFont mark;
      mark.setPixelSize(20);
      mark.setBold(true);
      painter.setFont(mark);
      painter.setPen(Qt::white);
      painter.drawText(QRectF(0.0, 0.0, 32.0, 32.0), Qt::AlignCenter, QStringLiteral("?"));
      break;
    }
    case Tool::Scan: {
      // A magnifying glass over the page: searching.
      painter.setPen(QPen(QColor(40, 40, 60), 2.5));
      painter.setBrush(QColor(200, 230, 255, 200));
      painter.drawEllipse(QPointF(13.0, 13.0), 8.5, 8.5);
      QPen handle(QColor(90, 60, 30), 4.5);
      handle.setCapStyle(Qt::RoundCap);
      painter.setPen(handle);
      painter.drawLine(QPointF(19.5, 19.5), QPointF(27.5, 27.5));
      painter.setPen(QPen(QColor(255, 255, 255, 220), 1.5));
      painter.setBrush(Qt::NoBrush);
      painter.drawArc(QRectF(8.0, 8.0, 10.0, 10.0), 90 * 16, 90 * 16);
      break;
    }
    case Tool::Stop:
      roundButton(QColor(255, 140, 130), QColor(190, 20, 20));
      painter.drawRect(QRectF(10.5, 10.5, 11.0, 11.0));
      break;
    case Tool::Play:
      roundButton(QColor(150, 240, 140), QColor(20, 140, 30));
      painter.drawPolygon(QPolygonF{QPointF(12.5, 9.0), QPointF(23.5, 16.0), QPointF(12.5, 23.0)});
      break;
  }
  return pixmap;
}

QIcon WindowArtwork::lamp(bool lit) {
  QIcon icon;
  for (const int pixels : kIconPixels) {
    icon.addPixmap(drawLamp(pixels, lit));
  }
  return icon;
}

QIcon WindowArtwork::programIcon() {
  QIcon icon;
  for (const int pixels : kIconPixels) {
    icon.addPixmap(drawProgramIcon(pixels));
  }
  return icon;
}
