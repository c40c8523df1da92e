#include "platform/linux/LinuxPlatform.h"

LinuxPlatform::LinuxPlatform() : LinuxPlatform(LinuxSerialPortMap::fromEnvironment()) {}

LinuxPlatform::LinuxPlatform(const LinuxSerialPortMap& map) : portMap(map), devices(map) {}
