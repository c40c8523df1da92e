#pragma once

#include "agent/TabStripElement.h"

// A narrow drop-down arrow button of the tab strip: no caption and no selected state.
class TabButtonMenu : public TabStripElement {
  Q_OBJECT

 public:
  explicit TabButtonMenu(QWidget* parent = nullptr);

  void MoveMouseOff();

 protected:
  void onPartMouseMove() override;
  void onPartClick() override;
};
