#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>
#include <functional>

// Runs the event loop until `condition` holds, for at most `boundMs`; returns `condition()`. A
// bound on a wait for something to happen, never a measure of speed.
inline bool waitForCondition(const std::function<bool()>& condition, int boundMs) {
  const QDeadlineTimer deadline(boundMs);
  while (!condition()) {
    if (deadline.hasExpired()) {
      return false;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(1);
  }
  return true;
}
