#include "agent/WidgetLook.h"

#include <QPalette>
#include <QWidget>

namespace widgetlook {

QFont FaceFont(int pixels, bool bold) {
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

void PaintSolid(QWidget* widget, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, colour);
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

void SetTextColour(QWidget* widget, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, colour);
  palette.setColor(QPalette::Text, colour);
  palette.setColor(QPalette::ButtonText, colour);
  widget->setPalette(palette);
}

}  // namespace widgetlook
