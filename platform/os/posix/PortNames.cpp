#include "platform/os/posix/PortNames.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <fstream>
#include <system_error>

namespace os {

namespace {

namespace fs = std::filesystem;

// The major of the 8250 driver's ttyS nodes.
constexpr unsigned kUartMajor = 4;
// /sys/class/tty/ttySk/type of a node with no UART behind it.
constexpr int kPortUnknown = 0;

struct Prefix {
  std::string_view text;
  SerialNode::Kind kind;
};
constexpr std::array<Prefix, 3> kPrefixes{{
    {"ttyUSB", SerialNode::Kind::UsbSerial},
    {"ttyACM", SerialNode::Kind::UsbAcm},
    {"ttyS", SerialNode::Kind::Uart},
}};

// A decimal number without sign or leading zero, all of `text`.
std::optional<unsigned> Decimal(std::string_view text) {
  if (text.empty() || (text.size() > 1 && text[0] == '0')) return std::nullopt;
  unsigned value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    const char c = text[i];
    const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    if (lower != prefix[i]) return false;
  }
  return true;
}

std::string NodeName(const SerialNode& node) {
  for (const Prefix& p : kPrefixes)
    if (p.kind == node.kind) return std::string(p.text) + std::to_string(node.number);
  return {};
}

std::optional<SerialNode> ParseNodeName(std::string_view name) {
  for (const Prefix& p : kPrefixes) {
    if (!name.starts_with(p.text)) continue;
    auto number = Decimal(name.substr(p.text.size()));
    if (!number) return std::nullopt;
    return SerialNode{p.kind, *number, true};
  }
  return std::nullopt;
}

}  // namespace

std::optional<unsigned> ComNumber(std::string_view name) {
  constexpr std::string_view kDevicePrefix = "\\\\.\\";
  if (name.starts_with(kDevicePrefix)) name.remove_prefix(kDevicePrefix.size());
  if (!StartsWithNoCase(name, "com")) return std::nullopt;
  auto number = Decimal(name.substr(3));
  if (!number || *number < 1 || *number > kMaxComNumber) return std::nullopt;
  return number;
}

std::map<unsigned, std::string> AssignComNumbers(std::vector<SerialNode> nodes) {
  std::map<unsigned, std::string> table;
  for (const SerialNode& node : nodes)
    if (node.kind == SerialNode::Kind::Uart && node.present && node.number < kMaxComNumber)
      table[node.number + 1] = NodeName(node);
  // Adapters in a stable order, whatever order the directory listed them in.
  std::sort(nodes.begin(), nodes.end(), [](const SerialNode& a, const SerialNode& b) {
    return a.kind != b.kind ? a.kind < b.kind : a.number < b.number;
  });
  unsigned next = 1;
  for (const SerialNode& node : nodes) {
    if (node.kind == SerialNode::Kind::Uart || !node.present) continue;
    while (table.contains(next)) ++next;
    if (next > kMaxComNumber) break;
    table[next] = NodeName(node);
  }
  return table;
}

PortNames::PortNames(fs::path devRoot, fs::path sysRoot)
    : devRoot_(std::move(devRoot)), sysRoot_(std::move(sysRoot)) {}

std::optional<fs::path> PortNames::Resolve(std::string_view name) const {
  auto number = ComNumber(name);
  if (!number) return std::nullopt;
  const auto table = Table();
  auto it = table.find(*number);
  if (it == table.end()) return std::nullopt;
  return devRoot_ / it->second;
}

std::map<unsigned, std::string> PortNames::Table() const { return AssignComNumbers(Scan()); }

// Every ttyS/ttyUSB/ttyACM entry of the device root that is (or links to) a
// character device; a UART also needs hardware behind it.
std::vector<SerialNode> PortNames::Scan() const {
  std::vector<SerialNode> nodes;
  std::error_code ec;
  for (fs::directory_iterator it(devRoot_, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    auto node = ParseNodeName(name);
    if (!node) continue;
    struct stat st {};
    if (::stat(it->path().c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) continue;
    if (node->kind == SerialNode::Kind::Uart && major(st.st_rdev) == kUartMajor)
      node->present = UartPresent(name);
    nodes.push_back(*node);
  }
  return nodes;
}

// The 8250 driver makes a node for every UART slot it reserves; a slot with
// no chip reads type 0 in sysfs and its open fails with EIO. A ttyS node of
// any other major (a pty bind-mounted over it) is taken as it is.
bool PortNames::UartPresent(const std::string& name) const {
  std::ifstream type(sysRoot_ / "class" / "tty" / name / "type");
  int value = -1;
  if (!(type >> value)) return true;  // unknown: let the open decide
  return value != kPortUnknown;
}

}  // namespace os
