// Win32 port names on Linux. COM n is /dev/ttyS(n-1) when that UART has
// hardware behind it; USB adapters (ttyUSB*, then ttyACM*) take the lowest
// COM numbers left free, each kind by its number. That is the order people
// know from running Windows programs on Linux, and dedicated USB serial
// cables (ttyUSB) come before the CDC gadgets (ttyACM) a desk often has
// plugged too, so a technician's one cable is COM1 on a PC without UARTs.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace os {

// A serial device node found under the device root.
struct SerialNode {
  enum class Kind { Uart, UsbSerial, UsbAcm };
  Kind kind;
  unsigned number;  // the k of ttySk, ttyUSBk, ttyACMk
  bool present;     // for a UART: hardware is behind the node
};

// COM numbers Windows accepts: COM1 to COM255.
inline constexpr unsigned kMaxComNumber = 255;

// "\\.\COM7" or "COM7" (any case, as Windows takes them) -> 7; nothing for
// anything else, leading zeros and COM0 included.
std::optional<unsigned> ComNumber(std::string_view name);

// The device name ("ttyS0", "ttyUSB0") of each COM number in use.
std::map<unsigned, std::string> AssignComNumbers(std::vector<SerialNode> nodes);

// The same, read from a device root and a sysfs root.
class PortNames {
 public:
  PortNames(std::filesystem::path devRoot, std::filesystem::path sysRoot);

  // The device path that a Win32 port name reaches now, if any.
  std::optional<std::filesystem::path> Resolve(std::string_view name) const;
  std::map<unsigned, std::string> Table() const;

 private:
  std::vector<SerialNode> Scan() const;
  bool UartPresent(const std::string& name) const;

  std::filesystem::path devRoot_;
  std::filesystem::path sysRoot_;
};

}  // namespace os
