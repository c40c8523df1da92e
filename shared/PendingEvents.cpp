#include "shared/PendingEvents.h"

#include <QCoreApplication>

void ProcessPendingEvents() {
  if (QCoreApplication::instance() != nullptr) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  }
}
