#pragma once

// Lets the window system process the events that wait, so that timers and window events run in
// the middle of a long operation. Each program has one, handed to every module that waits; it is
// the only way the programs' code reaches the toolkit's event processing, so a test can run its
// own code at exactly those points.
class EventPump {
 public:
  virtual ~EventPump() = default;
  virtual void ProcessPendingEvents() = 0;
};
