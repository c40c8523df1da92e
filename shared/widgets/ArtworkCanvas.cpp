#include "shared/widgets/ArtworkCanvas.h"

#include <QGuiApplication>
#include <QPainter>

namespace artwork {

QPixmap Canvas(QSize size) {
  const qreal ratio = qGuiApp != nullptr ? qGuiApp->devicePixelRatio() : 1.0;
  QPixmap pixmap(size * ratio);
  pixmap.setDevicePixelRatio(ratio);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

void Smooth(QPainter& painter) {
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
}

}  // namespace artwork
