// The ports the window finds at start-up, and what a change of port does to
// the link.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "tests/component/Pages.h"

namespace banc {
namespace {

std::string Com(int n) { return "\\\\.\\COM" + std::to_string(n); }

TEST(Ports, ProbingDisablesAbsentPortsAndChoosesTheFirstFreeOne) {
  struct Cas {
    const char* nom;
    std::vector<int> libres;
    std::vector<int> occupes;  // by another program
    std::array<bool, 4> actifs;
    int coche;  // 1 to 4, 0 for none
    std::int32_t indexPort;
    const char* appels;
  };
  const Cas cas[] = {
      {"no port", {}, {}, {false, false, false, false}, 0, 0,
       R"(CreateFileA(\\.\COM1) CreateFileA(\\.\COM2) CreateFileA(\\.\COM3) CreateFileA(\\.\COM4) CreateFileA(\\.\COM5))"},
      {"only COM3", {3}, {}, {false, false, true, false}, 3, 2,
       R"(CreateFileA(\\.\COM1) CreateFileA(\\.\COM2) CreateFileA(\\.\COM3) CloseHandle CreateFileA(\\.\COM4) CreateFileA(\\.\COM5))"},
      {"COM1 and COM2", {1, 2}, {}, {true, true, false, false}, 1, 0,
       R"(CreateFileA(\\.\COM1) CloseHandle CreateFileA(\\.\COM2) CloseHandle CreateFileA(\\.\COM3) CreateFileA(\\.\COM4) CreateFileA(\\.\COM5))"},
      {"COM1 held, COM2 free", {2}, {1}, {true, true, false, false}, 2, 1,
       R"(CreateFileA(\\.\COM1) CreateFileA(\\.\COM2) CloseHandle CreateFileA(\\.\COM3) CreateFileA(\\.\COM4) CreateFileA(\\.\COM5))"},
      {"only COM5", {5}, {}, {false, false, false, false}, 0, 0,
       R"(CreateFileA(\\.\COM1) CreateFileA(\\.\COM2) CreateFileA(\\.\COM3) CreateFileA(\\.\COM4) CreateFileA(\\.\COM5) CloseHandle)"},
      {"COM6 to COM10 only", {6, 7, 8, 9, 10}, {}, {false, false, false, false}, 0, 0,
       R"(CreateFileA(\\.\COM1) CreateFileA(\\.\COM2) CreateFileA(\\.\COM3) CreateFileA(\\.\COM4) CreateFileA(\\.\COM5))"},
  };
  for (const Cas& c : cas) {
    SCOPED_TRACE(c.nom);
    std::array<os::ScriptedDevice, 11> ports;
    Banc b({}, [&](Banc& banc) {
      for (int n : c.libres) banc.fake.Plug(Com(n), ports[static_cast<std::size_t>(n)]);
      for (int n : c.occupes) {
        banc.fake.Plug(Com(n), ports[static_cast<std::size_t>(n)]);
        banc.fake.Hold(Com(n));
      }
    });
    const ui::RadioButton* radios[] = {&b.form.RadioCOM1, &b.form.RadioCOM2, &b.form.RadioCOM3,
                                       &b.form.RadioCOM4};
    for (std::size_t i = 0; i < 4; ++i) {
      EXPECT_EQ(radios[i]->Enabled(), c.actifs[i]) << "COM" << i + 1;
      EXPECT_EQ(radios[i]->Checked(), c.coche == static_cast<int>(i) + 1) << "COM" << i + 1;
    }
    EXPECT_EQ(b.form.IndexPort, c.indexPort);
    EXPECT_EQ(b.fake.Calls(), c.appels);
    for (int n : c.libres) EXPECT_FALSE(b.fake.IsOpen(Com(n))) << n;  // nothing kept open
  }
}

// Annuler leaves the port open; choosing another port closes it, and the
// next wait opens the new one.
TEST(Ports, ChoosingAnotherPortClosesTheLinkAndTheNextWaitOpensTheNewPort) {
  Prise deuxieme;
  Banc b({.muet = true}, [&](Banc& banc) {
    banc.fake.Plug(COM1, banc.appareil);
    banc.fake.Plug(COM2, deuxieme);
  });
  ASSERT_TRUE(b.AllerA(6));
  ASSERT_TRUE(b.ui.RunUntil([&] { return b.appareil.Commandes("0x80") == 1; }, 5s));
  b.Precedent();  // "&Annuler"
  b.Precedent();
  ASSERT_EQ(b.form.Etape, 4u);
  ASSERT_TRUE(b.fake.IsOpen(COM1));

  b.fake.ClearTrace();
  b.Cliquer(b.form.RadioCOM1);  // the port already chosen
  EXPECT_EQ(b.form.IndexPort, 0);
  EXPECT_TRUE(b.fake.IsOpen(COM1));
  EXPECT_TRUE(b.fake.Events().empty());

  b.Cliquer(b.form.RadioCOM2);
  EXPECT_EQ(b.form.IndexPort, 1);
  EXPECT_TRUE(b.form.RadioCOM2.Checked());
  EXPECT_FALSE(b.form.RadioCOM1.Checked());
  EXPECT_FALSE(b.fake.IsOpen(COM1));
  EXPECT_EQ(b.Instants("CloseHandle").size(), 1u);
  EXPECT_FALSE(b.fake.IsOpen(COM2));  // opened only by the next wait

  ASSERT_TRUE(b.AllerA(7));
  EXPECT_TRUE(b.fake.IsOpen(COM2));
  EXPECT_EQ(deuxieme.Commandes("0x80"), 1);
  EXPECT_EQ(b.appareil.Commandes("0x80"), 1);  // COM1 was polled no more
}

}  // namespace
}  // namespace banc
