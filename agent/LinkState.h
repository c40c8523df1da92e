#pragma once

// What other modules ask of the serial link (LibSerial owns it): whether it is started, and
// whether the handheld has spoken since it was.
class LinkState {
 public:
  virtual ~LinkState() = default;
  // The link is started: its port is open.
  [[nodiscard]] virtual bool IsPortOpen() const = 0;
  // A frame has arrived since the link was last stopped; the unsolicited reports run only then.
  [[nodiscard]] virtual bool IsSessionActive() const = 0;
  // The handheld said goodbye: reports stop until its next frame.
  virtual void EndSession() = 0;
};
