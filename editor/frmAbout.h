#pragma once

#include <QDialog>

class QFrame;
class QKeyEvent;
class QLabel;
class QPushButton;

namespace quenlow {

// The editor's About box: the program's title and version, the legal warning and a picture. It is
// modeless beside its owner, the main window, and goes away (deleted) when it closes, so that the
// window can tell whether it is still open.
class frmAbout final : public QDialog {
  Q_OBJECT

 public:
  // The client area, 6960 x 3675 twips.
  static constexpr int kWidth = 464;
  static constexpr int kHeight = 245;

  explicit frmAbout(QWidget* owner);

  // Caption, version, warning and title; the constructor runs it.
  void Form_Load();
  // Closes the box.
  void cmdOK_Click();

  QLabel* picIcon = nullptr;
  QLabel* lblTitle = nullptr;
  QLabel* lblVersion = nullptr;
  // The etched separator under the version: a white line with a grey one over it.
  QFrame* Line1_0 = nullptr;
  QFrame* Line1_1 = nullptr;
  QLabel* lblDisclaimer = nullptr;
  QPushButton* cmdOK = nullptr;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace quenlow
