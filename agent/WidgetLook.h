#pragma once

#include <QColor>
#include <QFont>

class QWidget;

// The few touches of look the agent's windows share: their face font, a solid background and a
// caption colour.
namespace widgetlook {

// The windows' face font (Arial, which the desktop maps to its metric twin) at a pixel size.
[[nodiscard]] QFont FaceFont(int pixels, bool bold);
// The widget paints its whole area in `colour`.
void PaintSolid(QWidget* widget, const QColor& colour);
// The widget's text, also that of its inputs and buttons, in `colour`.
void SetTextColour(QWidget* widget, const QColor& colour);

}  // namespace widgetlook
