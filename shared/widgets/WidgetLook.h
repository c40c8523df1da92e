#pragma once

#include <QColor>
#include <QFont>

class QObject;
class QWidget;

// The few touches of look the programs' windows share: their face font, a solid background and a
// caption colour.
namespace widgetlook {

// The windows' face font (Arial, which the desktop maps to its metric twin) at a pixel size.
[[nodiscard]] QFont FaceFont(int pixels, bool bold);
// The widget paints its whole area in `colour`.
void PaintSolid(QWidget* widget, const QColor& colour);
// The widget's text, also that of its inputs and buttons, in `colour`.
void SetTextColour(QWidget* widget, const QColor& colour);
// Puts a top-level window in the middle of its screen's free area, frame included.
void CentreOnScreen(QWidget* window);
// `object` is `window` or lies inside it (a popup belongs to the control that opened it); another
// window, a message box or a dialog, has its own keys.
[[nodiscard]] bool BelongsToWindow(const QWidget* window, const QObject* object);

}  // namespace widgetlook
