#pragma once

#include <QDialog>

#include "platform/MessageBoxes.h"

class QLineEdit;
class QPushButton;

namespace quenlow {

class LibSlideMgr;

// The "Assign Slide Times" dialog: one total presentation time, as hours and minutes, spread
// evenly over all slides. Modeless over the main window; destroyed when it closes.
class frmPresent final : public QDialog {
  Q_OBJECT

 public:
  frmPresent(QWidget* owner, LibSlideMgr& slides, MessageBoxes& boxes);

  void cmdAssignTime_Click();
  void cmdCancel_Click();

  QLineEdit* txtHrs = nullptr;
  QLineEdit* txtMin = nullptr;
  QPushButton* cmdAssignTime = nullptr;
  QPushButton* cmdCancel = nullptr;

 private:
  LibSlideMgr& slides_;
  MessageBoxes& boxes_;
};

}  // namespace quenlow
