#include "agent/TabButtonMenu.h"

#include <QLabel>

#include "agent/TabArtwork.h"

TabButtonMenu::TabButtonMenu(QWidget* parent)
    : TabStripElement(parent, 405, 330, TabArtwork::menuNormal(), TabArtwork::menuOver(),
                      TabArtwork::menuDown()) {
  ImgBG->setPixmap(TabArtwork::menuBackground());
  // The face is shown at its own size, its last row cut off by the button's height.
  ImgButton->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void TabButtonMenu::MoveMouseOff() { showPicture(Look::Normal); }

void TabButtonMenu::onPartMouseMove() {
  emit MouseMoveRaised();
  showPicture(Look::Over);
}

// The pressed look stays after the click, until the strip's next MoveMouseOff.
void TabButtonMenu::onPartClick() { emit ClickRaised(); }
