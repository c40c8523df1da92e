#pragma once

#include <QString>
#include <optional>
#include <vector>

// The machine's map of serial ports: one entry per port, in a stable order. The value name says
// what device it is (Bluetooth devices have "bth" in it); the port name is "COM" and the number.
struct SerialPortMapEntry {
  QString valueName;
  QString portName;
};

class SerialPortMap {
 public:
  virtual ~SerialPortMap() = default;
  // Nothing when the map cannot be read at all.
  [[nodiscard]] virtual std::optional<std::vector<SerialPortMapEntry>> entries() const = 0;
};
