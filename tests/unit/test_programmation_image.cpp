// CK02 programs the whole built-in image into the in-process simulator, as
// the wizard's sequence does, and the device's memory ends up equal to the
// image word for word; faults on the line are noticed, never taken for success.
#include <gtest/gtest.h>

#include "link/Classek02.h"
#include "platform/os/fake/FakeOs.h"
#include "sim/AppareilFake.h"
#include "sim/Chargeur.h"
#include "tests/commun/MiseAJour.h"

namespace {

// One device on COM1 of a fake machine, and the link to it.
struct Banc {
  explicit Banc(sim::Options options = {}) : chargeur(options), appareil(chargeur) {
    fake.Plug("\\\\.\\COM1", appareil);
    liaison.ChoisirPort(0);
  }
  os::FakeOs fake;
  sim::Chargeur chargeur;
  sim::AppareilFake appareil;
  CK02 liaison{fake};
};

TEST(Programmation, TheWholeImageLandsInTheDeviceWordForWord) {
  Banc banc;
  const std::uint64_t debut = banc.fake.Clock().NowUs();
  ASSERT_EQ(MettreAJour(banc.liaison), 0);
  ASSERT_EQ(banc.liaison.LancerApplication(), 0);

  const sim::Rapport& rapport = banc.chargeur.LeRapport();
  const auto attendus = MotsDeLImage();
  ASSERT_EQ(attendus.size(), 1488u);
  EXPECT_EQ(rapport.mots, attendus);
  EXPECT_EQ(rapport.eeprom[245], 1);
  EXPECT_EQ(rapport.eeprom[246], 2);
  EXPECT_TRUE(rapport.violations.empty()) << rapport.violations.front();
  EXPECT_EQ(rapport.commandes.at("0x8D"), 1488);
  // Ten characters a word on the line, 1.146 ms each.
  const double secondes = static_cast<double>(banc.fake.Clock().NowUs() - debut) / 1e6;
  EXPECT_GT(secondes, 1488 * 10 * 1.146e-3);
  EXPECT_LT(secondes, 1488 * 10 * 1.146e-3 * 1.2);
}

TEST(Programmation, LineFaultsAreRetriedOrReportedNeverHidden) {
  struct Cas {
    const char* nom;
    int sim::Options::*faute;
    int valeur;
    std::int32_t resultat;
  };
  const Cas cas[] = {
      {"refused acknowledgement, retried", &sim::Options::mauvaisAcquitEcriture, 100, 0},
      {"lost byte, retried after the time-out", &sim::Options::octetPerdu, 2000, 0},
      {"corrupted byte, retried", &sim::Options::octetCorrompu, 3000, 0},
      {"hang-up", &sim::Options::raccrocherEcriture, 500,
       static_cast<std::int32_t>(os::ERROR_DEVICE_NOT_CONNECTED)},
  };
  const auto attendus = MotsDeLImage();
  for (const Cas& c : cas) {
    sim::Options options;
    options.*c.faute = c.valeur;
    Banc banc(options);
    EXPECT_EQ(MettreAJour(banc.liaison), c.resultat) << c.nom;
    const sim::Rapport& rapport = banc.chargeur.LeRapport();
    if (c.resultat == 0) {
      EXPECT_EQ(rapport.mots, attendus) << c.nom;
      EXPECT_EQ(rapport.eeprom[245], 1) << c.nom;
    } else {
      EXPECT_EQ(rapport.mots.size(), 499u) << c.nom;
      EXPECT_EQ(rapport.eeprom[246], 1) << c.nom;  // the former version stays
    }
  }
}

}  // namespace
