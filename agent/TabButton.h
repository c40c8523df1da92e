#pragma once

#include <QColor>
#include <QString>

#include "agent/TabStripElement.h"

class QLabel;

// One captioned tab of the tab strip. It knows nothing of the other tabs: it reports a click and
// a mouse move to the strip, which clears the other tabs, and then takes the selected look itself.
class TabButton : public TabStripElement {
  Q_OBJECT

 public:
  explicit TabButton(QWidget* parent = nullptr);

  // This tab is the selected one.
  bool Focused = false;
  // The caption last given to SetText.
  QString Text;

  // Raises ClickRaised, then selects this tab: the strip's handler runs before the selected look.
  void Click();
  // Back to rest, unless this tab is the selected one.
  void MoveMouseOff();
  void SetFocus();
  void RemoveFocus();
  void SetText(const QString& ItemText);

  // What a user sees of the tab, for the strip's container and tests.
  [[nodiscard]] QColor captionColor() const;
  [[nodiscard]] QString caption() const;
  // The caption, the tab's second part that takes the mouse.
  [[nodiscard]] QLabel* lblText() const { return LblText; }

 protected:
  void onPartMouseMove() override;
  void onPartClick() override;

 private:
  void setCaptionColor(quint32 bgr);

  QLabel* LblText;
};
