#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "platform/SerialPortMap.h"

// The machine's serial ports, numbered by a fixed rule so that a port keeps its number from one
// run to the next and the number the agent saved still names the same device:
//
//   /dev/ttyS<k>    (k 0..31)   port k+1    "\Device\Serial<k>"       only real UARTs
//   /dev/ttyUSB<k>  (k 0..15)   port 33+k   "\Device\USBSER<k>"
//   /dev/ttyACM<k>  (k 0..15)   port 49+k   "\Device\USBSER_ACM<k>"
//   /dev/rfcomm<k>  (k 0..191)  port 65+k   "\Device\BthModem<k>"     Bluetooth
//
// Each family has its own range, so no two devices ever share a number; a device beyond its
// family's range is left out. The kernel lists a ttyS<k> for every UART slot whether or not a
// chip sits behind it: a slot counts only when it has a "device" link in the tty class folder
// and a "type" other than 0 (no chip). A "type" that cannot be read counts as a chip. A device
// counts only when its node exists in the device folder.
//
// Then the ports of the variable CORVANE_SERIAL_PORTS, "number=device path" pairs separated by
// ";" (for example "42=/dev/pts/7;43=/dev/rfcomm9"): how a pseudo-terminal or a device the rule
// does not know becomes a port. They follow the machine's ports in the order given, named
// "\Device\BthModemEnv<number>" when the path contains "rfcomm" and "\Device\SerialEnv<number>"
// otherwise. A pair without "=", without a path, with a number outside 1..256 or with a number
// already taken is left out.
//
// Nothing is cached: each call looks at the machine again, as a scan of the ports expects, and
// a Bluetooth link bound since the last scan appears.
class LinuxSerialPortMap final : public SerialPortMap {
 public:
  static constexpr int kMaxPortNumber = 256;
  static constexpr const char* kVariable = "CORVANE_SERIAL_PORTS";

  // `environmentText` is the variable's text; the folders are the tty class folder of sysfs and
  // the device folder, which tests replace by a tree of their own.
  explicit LinuxSerialPortMap(QString environmentText,
                              QString ttyClassFolder = QStringLiteral("/sys/class/tty"),
                              QString deviceFolder = QStringLiteral("/dev"));
  // The map of this process's environment and the real machine.
  [[nodiscard]] static LinuxSerialPortMap fromEnvironment();

  // Nothing when the tty class folder cannot be read and the variable names no port; an empty
  // list when the machine simply has no serial port.
  [[nodiscard]] std::optional<std::vector<SerialPortMapEntry>> entries() const override;
  // The device of a port number; nothing for a number that is not in the map.
  [[nodiscard]] std::optional<QString> devicePath(int portNumber) const;

 private:
  struct Port {
    int number;
    QString valueName;
    QString path;
  };
  // Nothing when neither source gives anything readable (see entries()).
  [[nodiscard]] std::optional<std::vector<Port>> ports() const;
  [[nodiscard]] std::optional<std::vector<Port>> machinePorts() const;
  void addEnvironmentPorts(std::vector<Port>& ports) const;

  QString environmentText_;
  QString ttyClassFolder_;
  QString deviceFolder_;
};
