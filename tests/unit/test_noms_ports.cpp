// Win32 port names on Linux: which /dev node each COM number reaches.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "platform/os/posix/PortNames.h"

namespace {

namespace fs = std::filesystem;
using os::SerialNode;
using Kind = SerialNode::Kind;

std::string Show(const std::map<unsigned, std::string>& table) {
  std::string text;
  for (const auto& [com, node] : table)
    text += (text.empty() ? "" : " ") + ("COM" + std::to_string(com)) + "=" + node;
  return text;
}

struct NameCase {
  const char* name;
  std::optional<unsigned> number;
};

class ComNumberTest : public testing::TestWithParam<NameCase> {};

TEST_P(ComNumberTest, ParsesOnlyWindowsPortNames) {
  EXPECT_EQ(os::ComNumber(GetParam().name), GetParam().number) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Names, ComNumberTest,
    testing::Values(NameCase{"\\\\.\\COM1", 1}, NameCase{"COM1", 1}, NameCase{"\\\\.\\COM10", 10},
                    NameCase{"com3", 3}, NameCase{"\\\\.\\COM255", 255},
                    NameCase{"\\\\.\\COM256", std::nullopt}, NameCase{"COM0", std::nullopt},
                    NameCase{"COM01", std::nullopt}, NameCase{"COM", std::nullopt},
                    NameCase{"COM1 ", std::nullopt}, NameCase{"COM-1", std::nullopt},
                    NameCase{"COM4294967297", std::nullopt}, NameCase{"LPT1", std::nullopt},
                    NameCase{"\\\\.\\", std::nullopt}, NameCase{"", std::nullopt}));

struct AssignCase {
  const char* what;
  std::vector<SerialNode> nodes;
  const char* table;
};

class AssignTest : public testing::TestWithParam<AssignCase> {};

TEST_P(AssignTest, UartsKeepTheirNumberAdaptersFillTheGaps) {
  EXPECT_EQ(Show(os::AssignComNumbers(GetParam().nodes)), GetParam().table) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Tables, AssignTest,
    testing::Values(
        AssignCase{"no port at all", {}, ""},
        AssignCase{"one cable on a PC whose UART slots are empty",
                   {{Kind::Uart, 0, false},
                    {Kind::Uart, 1, false},
                    {Kind::Uart, 2, false},
                    {Kind::Uart, 3, false},
                    {Kind::UsbSerial, 0, true}},
                   "COM1=ttyUSB0"},
        AssignCase{"UARTs keep n+1, adapters take the holes, ttyUSB before ttyACM",
                   {{Kind::UsbAcm, 0, true},
                    {Kind::UsbSerial, 3, true},
                    {Kind::Uart, 2, true},
                    {Kind::UsbSerial, 1, true},
                    {Kind::Uart, 0, true},
                    {Kind::Uart, 1, false}},
                   "COM1=ttyS0 COM2=ttyUSB1 COM3=ttyS2 COM4=ttyUSB3 COM5=ttyACM0"},
        AssignCase{"adapter numbers sort as numbers",
                   {{Kind::UsbSerial, 10, true}, {Kind::UsbSerial, 2, true}},
                   "COM1=ttyUSB2 COM2=ttyUSB10"}));

// A device root and a sysfs root in a temporary folder.
class ScanTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "zt-ports-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    fs::create_directories(root_ / "dev");
    fs::create_directories(root_ / "sys");
  }
  void TearDown() override { fs::remove_all(root_); }

  fs::path Dev(const std::string& name) const { return root_ / "dev" / name; }
  void Link(const std::string& name, const fs::path& target) const {
    fs::create_symlink(target, Dev(name));
  }
  void UartType(const std::string& name, const char* type) const {
    fs::create_directories(root_ / "sys/class/tty" / name);
    std::ofstream(root_ / "sys/class/tty" / name / "type") << type << "\n";
  }
  os::PortNames Names() const { return os::PortNames(root_ / "dev", root_ / "sys"); }

  fs::path root_;
};

// A ttyS node of another major is what the simulator's bind-mounted pty is.
TEST_F(ScanTest, FindsCharacterDevicesBehindLinksAndIgnoresTheRest) {
  Link("ttyS0", "/dev/null");
  Link("ttyUSB1", "/dev/null");
  Link("ttyACM0", "/dev/null");
  Link("ttyUSB0", root_ / "gone");  // dangling: unplugged
  Link("ttyUSB01", "/dev/null");
  Link("ttyUSBa", "/dev/null");
  std::ofstream(Dev("ttyS1")) << "not a device";
  const os::PortNames names = Names();
  EXPECT_EQ(Show(names.Table()), "COM1=ttyS0 COM2=ttyUSB1 COM3=ttyACM0");
  EXPECT_EQ(names.Resolve("\\\\.\\COM2"), Dev("ttyUSB1"));
  EXPECT_EQ(names.Resolve("COM3"), Dev("ttyACM0"));
  EXPECT_EQ(names.Resolve("\\\\.\\COM4"), std::nullopt);
}

// 8250 nodes: type 0 in sysfs means no chip behind the node.
TEST_F(ScanTest, UartSlotWithoutHardwareIsAbsent) {
  for (unsigned k = 0; k < 3; ++k)
    if (::mknod(Dev("ttyS" + std::to_string(k)).c_str(), S_IFCHR | 0600, makedev(4, 64 + k)) != 0)
      GTEST_SKIP() << "cannot make device nodes here";
  UartType("ttyS0", "0");
  UartType("ttyS1", "4");  // a 16550A
  // ttyS2 has no sysfs entry: its open will tell.
  Link("ttyUSB0", "/dev/null");
  EXPECT_EQ(Show(Names().Table()), "COM1=ttyUSB0 COM2=ttyS1 COM3=ttyS2");
}

}  // namespace
