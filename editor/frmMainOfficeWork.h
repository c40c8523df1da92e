#pragma once

#include <QCursor>
#include <QGuiApplication>
#include <QMenuBar>
#include <QTimer>

#include "editor/frmMain.h"

namespace quenlow {

// While the presentation program works it runs the event loop; until it is done, every command of
// the window does nothing (a second open inside the first would load into a half-filled model), and
// the menus and controls are disabled so that the user sees it. Optionally the hourglass shows.
class frmMain::OfficeWork {
 public:
  OfficeWork(frmMain& window, bool hourglass) : window_(window), hourglass_(hourglass) {
    if (window_.officeWork_++ == 0) {
      window_.menuBar()->setEnabled(false);
      window_.client->setEnabled(false);
    }
    if (hourglass_) {
      QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
  }
  ~OfficeWork() {
    if (hourglass_) {
      QGuiApplication::restoreOverrideCursor();
    }
    if (--window_.officeWork_ == 0) {
      window_.menuBar()->setEnabled(true);
      window_.setUpdateMenu(window_.updateMenuEnabled_);
      window_.client->setEnabled(true);
      if (window_.closePending_) {
        window_.closePending_ = false;
        QTimer::singleShot(0, &window_, [window = &window_] { window->close(); });
      }
    }
  }
  OfficeWork(const OfficeWork&) = delete;
  OfficeWork& operator=(const OfficeWork&) = delete;

 private:
  frmMain& window_;
  bool hourglass_;
};

}  // namespace quenlow
