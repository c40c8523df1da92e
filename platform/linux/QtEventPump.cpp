#include "platform/linux/QtEventPump.h"

#include <QCoreApplication>

void QtEventPump::ProcessPendingEvents() {
  if (QCoreApplication::instance() != nullptr) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  }
}
