#include "agent/TabSeparator.h"

#include <QLabel>

#include "agent/TabArtwork.h"

TabSeparator::TabSeparator(QWidget* parent) : QWidget(parent), ImgSep(new QLabel(this)) {
  using TabArtwork::pixelsFromTwips;
  ImgSep->setScaledContents(true);
  ImgSep->setPixmap(TabArtwork::separator());
  ImgSep->setGeometry(0, 0, pixelsFromTwips(75), pixelsFromTwips(375));
  // The divider is as large as its picture, whatever its owner asks for.
  setFixedSize(ImgSep->size());
}
