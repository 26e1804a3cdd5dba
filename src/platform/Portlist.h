#pragma once
// List of the serial ports present, by name relative to /dev, without opening any of them.
#include <string>
#include <vector>

// Longest port name that fits the settings' port field.
constexpr size_t kPortNameMax = 9;

// Scans <sysfs_root>/class/tty for ttyUSB*, ttyACM*, ttyAMA*, rfcomm* and the ttyS* whose
// `type` attribute holds a non-zero port type (prefix + digits only, at most kPortNameMax
// characters), adds `pts_name` ("pts/N", the drive simulator) while /dev/pts/N exists, and
// returns the names in natural order (ttyS2 before ttyS10).
std::vector<std::string> Portlist_scan(const std::string& sysfs_root = "/sys", const std::string& pts_name = {});
