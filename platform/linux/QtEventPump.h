#pragma once

#include "platform/EventPump.h"

// The toolkit's own event processing. Does nothing before the application object exists.
class QtEventPump final : public EventPump {
 public:
  void ProcessPendingEvents() override;
};
