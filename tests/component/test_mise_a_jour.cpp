// A whole update on the virtual clock, from "&Connexion" to the start of the
// new firmware, and the loop going on after a handler has thrown.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "tests/component/Pages.h"

namespace banc {
namespace {

// The device's memory ends up equal to the image, stamped 1.2 and started.
void VerifierAppareilAJour(const Banc& b) {
  const sim::Rapport& r = b.appareil.Rapport();
  EXPECT_EQ(r.mots, MotsDeLImage());
  EXPECT_EQ(r.ecrituresMot, 1488);  // each word once
  EXPECT_EQ(r.eeprom[245], 1);
  EXPECT_EQ(r.eeprom[246], 2);
  EXPECT_TRUE(r.applicationLancee);
  EXPECT_TRUE(r.violations.empty()) << r.violations.front();
}

TEST(MiseAJour, AWholeUpdateFromConnexionToTheStartOfTheNewFirmware) {
  Banc b;
  ASSERT_TRUE(b.AllerA(5));
  const Us connexion = b.Suivant();

  ASSERT_TRUE(b.AllerA(7));
  EXPECT_GE(b.ui.Now() - connexion, 2250ms);
  EXPECT_LT(b.ui.Now() - connexion, 2300ms);

  ASSERT_TRUE(b.AllerA(8));
  EXPECT_EQ(b.form.ProgressBarProgrammation.Max(), kLignesImage);
  EXPECT_EQ(b.form.LabelBarreProgression.Caption(), "Avancement de la mise à jour : 0.0 %");

  // The tick of the last row, the end-of-file one, before page 9 replaces the line.
  ASSERT_TRUE(b.ui.RunUntil([&] { return b.form.IndexLigne == kLignesImage; }, 60s));
  EXPECT_EQ(b.form.Etape, 8u);
  EXPECT_EQ(b.form.LabelBarreProgression.Caption(), "Avancement de la mise à jour : 99.5 %");
  EXPECT_EQ(b.form.ProgressBarProgrammation.Position(), kLignesImage);

  ASSERT_TRUE(b.AllerA(9));
  const Us page9 = b.ui.Now();
  EXPECT_TRUE(b.form.TimerGestionSerie.Enabled());
  EXPECT_EQ(b.Instants("TX 91").size(), 0u);
  ASSERT_TRUE(b.Terminer(1s));

  // After the last word: the stamp 1.2 at EEPROM 245 and 246, then, one
  // tick later, the start command, and nothing else.
  const std::string fin =
      "RX 84 TX 8B TX 46 TX 35 TX 30 TX 31 RX 84 TX 8B TX 46 TX 36 TX 30 TX 32 RX 84 TX 91";
  const std::string fil = b.fake.Wire();
  ASSERT_GE(fil.size(), fin.size());
  EXPECT_EQ(fil.substr(fil.size() - fin.size()), fin);
  const std::vector<Us> eeprom = b.Instants("TX 8B");
  ASSERT_EQ(eeprom.size(), 2u);  // the image writes no EEPROM byte of its own
  const Us lancement = b.Instants("TX 91").at(0);
  EXPECT_GT(lancement, page9);
  EXPECT_EQ(lancement - eeprom[0], 100ms);  // the stamp starts the tick of the last row
  b.ui.RunFor(1s);
  EXPECT_EQ(b.Instants("TX 91").size(), 1u);
  VerifierAppareilAJour(b);
}

// "&Oui" ends the session and offers page 5 for the next device, whose
// update goes through every step again from the first row; "&Non" closes.
TEST(MiseAJour, OnTheSuccessPageOuiLeadsToTheNextDeviceAndNonCloses) {
  {
    Banc b;
    ASSERT_TRUE(b.AllerA(9));
    ASSERT_TRUE(b.Terminer(1s));
    b.Precedent();
    EXPECT_TRUE(b.fake.Wire().ends_with("TX 91 TX 04 RX 84"));
    VerifierPage(b.form, 5);

    b.appareil.Rebrancher({.numeroSerie = 234567890, .versionMajeure = 0, .versionMineure = 9});
    b.Suivant();
    VerifierPage(b.form, 6);
    ASSERT_TRUE(b.AllerA(8));
    EXPECT_EQ(b.form.LabelLigne2.Caption(), "Le numéro de série de l'appareil est le : 0234567890");
    ASSERT_TRUE(b.Terminer());
    VerifierAppareilAJour(b);
  }
  {
    Banc b;
    ASSERT_TRUE(b.AllerA(9));
    ASSERT_TRUE(b.Terminer(1s));
    b.Cliquer(b.form.ButtonQuitter);
    EXPECT_TRUE(b.Ferme());
  }
}

// The exception display shows what escaped a handler once, and the loop
// goes on: here a tick of the transfer throws before its row is sent, as
// a failing platform call would, and the next tick sends that row.
TEST(MiseAJour, AnExceptionEscapingATickIsShownOnceAndTheUpdateGoesOn) {
  Banc b;
  ASSERT_TRUE(b.AllerA(8));
  const std::function<void()> tick = b.form.TimerGestionSerie.OnTimer;
  bool levee = false;
  b.form.TimerGestionSerie.OnTimer = [&] {
    if (b.form.IndexLigne == 50 && !levee) {
      levee = true;
      throw std::runtime_error("plus de mémoire pour l'affichage");
    }
    tick();
  };
  ASSERT_TRUE(b.Terminer());
  ASSERT_EQ(b.ui.Dialogs().size(), 1u);
  EXPECT_TRUE(b.ui.Dialogs()[0].request.exceptionBox);
  EXPECT_EQ(b.ui.Dialogs()[0].request.text, "plus de mémoire pour l'affichage");
  EXPECT_FALSE(b.ui.App().Terminated());
  VerifierAppareilAJour(b);
}

}  // namespace
}  // namespace banc
