#pragma once

#include <QPixmap>
#include <QWidget>
#include <QtGlobal>
#include <vector>

class QLabel;
class TabSeparator;

// One element of the tab strip, a tab or a menu button: its background, its face in three looks,
// the divider at its right edge, and the parts of it that take the mouse. The strip lays elements
// side by side by their fixed widths and hears from them through the two signals below.
class TabStripElement : public QWidget {
  Q_OBJECT

 public:
  // Which of its three face pictures the element shows.
  enum class Look { Normal, Over, Down };

  [[nodiscard]] Look look() const { return look_; }
  // The face, the part of every element that takes the mouse.
  [[nodiscard]] QLabel* imgButton() const { return ImgButton; }

 signals:
  // The element's Click and MouseMove events. A Qt signal cannot share its name with a tab's
  // method Click, hence the suffix.
  void ClickRaised();
  void MouseMoveRaised();

 protected:
  // Widths are in twips; the height is the strip's. The face covers the element up to the
  // divider, which stands at its right edge.
  TabStripElement(QWidget* parent, qint32 widthTwips, qint32 faceWidthTwips, QPixmap normal,
                  QPixmap over, QPixmap down);

  // Makes part take the mouse for the element: a press on it shows the pressed face, a move over
  // it and a click on it go to the element's handlers below. Hover needs moves without a button
  // held, so the part tracks the mouse.
  void watchMouse(QLabel* part);
  virtual void onPartMouseMove() = 0;
  // A left-button release over a part after a press on that same part.
  virtual void onPartClick() = 0;

  [[nodiscard]] const QPixmap& picture(Look look) const;
  void showPicture(Look look);

  bool eventFilter(QObject* watched, QEvent* event) override;

  QLabel* ImgBG;
  QLabel* ImgButton;

 private:
  TabSeparator* Separator;
  QPixmap ImgNormal;
  QPixmap ImgOver;
  QPixmap ImgDown;
  Look look_ = Look::Normal;
  std::vector<QLabel*> mouseParts_;
  // A click needs the press and the release on the same part.
  QLabel* pressedPart_ = nullptr;
};
