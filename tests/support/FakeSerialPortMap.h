#pragma once

#include <optional>
#include <vector>

#include "platform/SerialPortMap.h"

// A port map that gives what the test put in it; nothing in it means the map cannot be read.
class FakeSerialPortMap final : public SerialPortMap {
 public:
  std::optional<std::vector<SerialPortMapEntry>> map;
  mutable int reads = 0;

  std::optional<std::vector<SerialPortMapEntry>> entries() const override {
    ++reads;
    return map;
  }
};
