#include "agent/TabStripElement.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <algorithm>
#include <utility>

#include "agent/TabArtwork.h"
#include "agent/TabSeparator.h"

using TabArtwork::pixelsFromTwips;

namespace {

constexpr qint32 kHeightTwips = 525;

}  // namespace

TabStripElement::TabStripElement(QWidget* parent, qint32 widthTwips, qint32 faceWidthTwips,
                                 QPixmap normal, QPixmap over, QPixmap down)
    : QWidget(parent),
      ImgBG(new QLabel(this)),
      ImgButton(new QLabel(this)),
      Separator(new TabSeparator(this)),
      ImgNormal(std::move(normal)),
      ImgOver(std::move(over)),
      ImgDown(std::move(down)) {
  // An element is always one size; the strip places elements side by side on that assumption.
  setFixedSize(pixelsFromTwips(widthTwips), pixelsFromTwips(kHeightTwips));

  ImgBG->setScaledContents(true);
  ImgBG->setGeometry(0, 0, width(), pixelsFromTwips(kHeightTwips));

  ImgButton->setGeometry(0, 0, pixelsFromTwips(faceWidthTwips), pixelsFromTwips(kHeightTwips));
  watchMouse(ImgButton);

  Separator->move(pixelsFromTwips(faceWidthTwips), pixelsFromTwips(100));
  showPicture(Look::Normal);
}

void TabStripElement::watchMouse(QLabel* part) {
  mouseParts_.push_back(part);
  part->setMouseTracking(true);
  part->installEventFilter(this);
}

const QPixmap& TabStripElement::picture(Look look) const {
  switch (look) {
    case Look::Normal:
      return ImgNormal;
    case Look::Over:
      return ImgOver;
    case Look::Down:
      return ImgDown;
  }
  return ImgNormal;
}

void TabStripElement::showPicture(Look look) {
  look_ = look;
  ImgButton->setPixmap(picture(look));
}

bool TabStripElement::eventFilter(QObject* watched, QEvent* event) {
  const auto found = std::find(mouseParts_.begin(), mouseParts_.end(), watched);
  if (found == mouseParts_.end()) return QWidget::eventFilter(watched, event);
  QLabel* const part = *found;
  switch (event->type()) {
    case QEvent::MouseMove:
      onPartMouseMove();
      return true;
    case QEvent::MouseButtonPress:
      // Any button shows the pressed face, and nothing watches the release: the click, or the
      // strip's next MoveMouseOff, decides the look after it.
      pressedPart_ = part;
      showPicture(Look::Down);
      return true;
    case QEvent::MouseButtonRelease: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      const bool click = pressedPart_ == part && mouse->button() == Qt::LeftButton &&
                         part->rect().contains(mouse->position().toPoint());
      pressedPart_ = nullptr;
      if (click) onPartClick();
      return true;
    }
    case QEvent::MouseButtonDblClick:
      // The second press of a double click is no new press and gives no second click.
      return true;
    default:
      return QWidget::eventFilter(watched, event);
  }
}
