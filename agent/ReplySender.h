#pragma once

#include <QString>

// The agent's one way to the handheld: every module that answers or reports sends through it.
// The dispatcher (LibGeneral) implements it over the port.
class ReplySender {
 public:
  virtual ~ReplySender() = default;
  // Sends "<<" cmd "|" arg1 "|" arg2 ">>" through SendToDevice.
  virtual void SendReply(const QString& cmd, const QString& arg1, const QString& arg2) = 0;
  // Writes a finished frame, logs it in debug mode and waits 280 ms, also when nothing went
  // out; true when a byte was written.
  virtual bool SendToDevice(const QString& msg) = 0;
};
