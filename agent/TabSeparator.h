#pragma once

#include <QWidget>

class QLabel;

// The divider at the right edge of every tab and menu button of the tab strip.
class TabSeparator : public QWidget {
  Q_OBJECT

 public:
  explicit TabSeparator(QWidget* parent = nullptr);

 private:
  QLabel* ImgSep;
};
