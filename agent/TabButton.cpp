#include "agent/TabButton.h"

#include <QFont>
#include <QLabel>
#include <QPalette>

#include "agent/TabArtwork.h"

using TabArtwork::pixelsFromTwips;

TabButton::TabButton(QWidget* parent)
    : TabStripElement(parent, 1050, 975, TabArtwork::stripBackground(), TabArtwork::tabOver(),
                      TabArtwork::tabDown()),
      LblText(new QLabel(this)) {
  // A tab at rest shows the bare strip, so its face at rest is its background as well.
  ImgBG->setPixmap(picture(Look::Normal));
  ImgButton->setScaledContents(true);

  LblText->setGeometry(0, pixelsFromTwips(190), pixelsFromTwips(975), pixelsFromTwips(255));
  LblText->setAlignment(Qt::AlignCenter);
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(11);
  LblText->setFont(font);
  LblText->setText(QStringLiteral("ItemText"));
  setCaptionColor(TabArtwork::kCaptionWhite);

  // The caption takes the mouse just as the picture does.
  watchMouse(LblText);
}

void TabButton::Click() {
  emit ClickRaised();
  SetFocus();
}

void TabButton::MoveMouseOff() {
  if (!Focused) showPicture(Look::Normal);
}

void TabButton::SetFocus() {
  Focused = true;
  showPicture(Look::Down);
  setCaptionColor(TabArtwork::kCaptionYellow);
}

void TabButton::RemoveFocus() {
  Focused = false;
  showPicture(Look::Normal);
  setCaptionColor(TabArtwork::kCaptionWhite);
}

void TabButton::SetText(const QString& ItemText) {
  LblText->setText(ItemText);
  Text = ItemText;
}

QColor TabButton::captionColor() const { return LblText->palette().color(QPalette::WindowText); }

QString TabButton::caption() const { return LblText->text(); }

// The strip clears the other tabs' hover first; the selected tab keeps its look.
void TabButton::onPartMouseMove() {
  emit MouseMoveRaised();
  if (!Focused) showPicture(Look::Over);
}

void TabButton::onPartClick() { Click(); }

void TabButton::setCaptionColor(quint32 bgr) {
  QPalette palette = LblText->palette();
  palette.setColor(QPalette::WindowText, TabArtwork::colorFromColorRef(bgr));
  LblText->setPalette(palette);
}
