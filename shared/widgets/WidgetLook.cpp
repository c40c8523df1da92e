#include "shared/widgets/WidgetLook.h"

#include <QPalette>
#include <QScreen>
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

void CentreOnScreen(QWidget* window) {
  if (const QScreen* where = window->screen(); where != nullptr) {
    QRect frame = window->frameGeometry();
    frame.moveCenter(where->availableGeometry().center());
    window->move(frame.topLeft());
  }
}

bool BelongsToWindow(const QWidget* window, const QObject* object) {
  for (const QWidget* widget = qobject_cast<const QWidget*>(object); widget != nullptr;
       widget = widget->parentWidget()) {
    if (widget == window) {
      return true;
    }
    if (widget->isWindow() && widget->windowType() != Qt::Popup) {
      return false;
    }
  }
  return false;
}

}  // namespace widgetlook
