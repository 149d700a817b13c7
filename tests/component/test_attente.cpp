// The power-on wait of page 6: one poll of the boot loader per 2.25 s tick,
// the countdown, the expiry after twenty silent ticks, and "&Annuler".
#include <gtest/gtest.h>

#include <string>

#include "tests/component/Pages.h"

namespace banc {
namespace {

constexpr Us kTick = 2250ms;
constexpr const char* kEchecConnexion =
    "Echec à la connexion :\n   - Soit le Orvalis ZT n'a pas été connecté à l'ordinateur.\n"
    "  - Soit le Orvalis ZT n'a pas été mis en marche. \n"
    "  - Soit le port série sélectionné ne correspond pas au port connecté.\n\n"
    "  Dans ce dernier cas, sélectionner un autre port série dans la liste.\n";

std::string Reste(const char* secondes) {
  return std::string("Le temps restant pour allumer votre Orvalis ZT est de ") + secondes + " s";
}

// Every poll comes at its tick, one per tick: a poll waits 10 ms and then
// up to 1.1 s for the answer, longer than the one second Connecter is given.
void VerifierUnAppelParTick(const Banc& b, Us connexion, std::size_t ticks) {
  const std::vector<Us> appels = b.Instants("TX 80");
  ASSERT_EQ(appels.size(), ticks);
  for (std::size_t k = 0; k < ticks; ++k)
    EXPECT_EQ(appels[k], connexion + kTick * static_cast<int>(k + 1)) << "poll " << k + 1;
}

TEST(Attente, TheBootLoaderAnswersAtTheFirstOrTheTwentiethTick) {
  for (int tick : {1, 20}) {
    SCOPED_TRACE("answer at tick " + std::to_string(tick));
    Banc b({.pretApresAppels = tick});
    ASSERT_TRUE(b.AllerA(5));
    const Us connexion = b.Suivant();
    if (tick > 1) {
      b.ui.RunFor(kTick + 1200ms);  // the first tick is over
      EXPECT_EQ(b.form.LabelBarreProgression.Caption(), Reste("28.5"));
      EXPECT_EQ(b.form.ProgressBarProgrammation.Position(), 1);
    }
    ASSERT_TRUE(b.AllerA(7, 60s));
    const Us page7 = b.ui.Now();
    EXPECT_GE(page7, connexion + kTick * tick);
    EXPECT_LT(page7, connexion + kTick * tick + 50ms);
    VerifierUnAppelParTick(b, connexion, static_cast<std::size_t>(tick));
    EXPECT_TRUE(b.ui.Dialogs().empty());
    EXPECT_TRUE(b.fake.IsOpen(COM1));
  }
}

TEST(Attente, TwentySilentTicksCloseThePortThenTheDialogLeadsToThePortChoice) {
  Banc b({.muet = true});
  ASSERT_TRUE(b.AllerA(5));
  const Us connexion = b.Suivant();
  b.ui.RunFor(kTick + 1200ms);
  EXPECT_EQ(b.form.LabelBarreProgression.Caption(), Reste("28.5"));
  EXPECT_TRUE(b.fake.IsOpen(COM1));

  std::string compteARebours;
  bool portOuvert = true;
  b.ui.OnDialog([&](const ui::headless::DialogRecord&) {
    compteARebours = b.form.LabelBarreProgression.Caption();
    portOuvert = b.fake.IsOpen(COM1);
    return ui::headless::DialogAnswer{ui::mrOk};
  });
  ASSERT_TRUE(b.ui.RunUntil([&] { return !b.ui.Dialogs().empty(); }, 60s));
  ASSERT_EQ(b.ui.Dialogs().size(), 1u);
  const auto& d = b.ui.Dialogs()[0];
  EXPECT_EQ(d.request.text, kEchecConnexion);
  EXPECT_EQ(d.request.caption, "Erreur");
  EXPECT_EQ(d.request.type, ui::mtError);
  EXPECT_EQ(d.request.buttons, ui::MsgDlgButtons({ui::mbOK}));
  // After the twentieth poll has run out, and before a twenty-first tick.
  EXPECT_GT(d.shownAt, connexion + kTick * 20 + 1110ms);
  EXPECT_LT(d.shownAt, connexion + kTick * 21);
  EXPECT_EQ(compteARebours, Reste("0.0"));
  EXPECT_FALSE(portOuvert);
  VerifierUnAppelParTick(b, connexion, 20);
  VerifierPage(b.form, 4);
  EXPECT_FALSE(b.form.TimerGestionSerie.Enabled());
}

// "&Annuler" stops the wait where it is; "&Connexion" then starts a new one
// of twenty ticks from the whole 30 s.
TEST(Attente, CancelStopsTheWaitAndConnexionStartsAWholeNewOne) {
  Banc b({.muet = true});
  ASSERT_TRUE(b.AllerA(5));
  b.Suivant();
  b.ui.RunFor(3 * kTick + 1200ms);
  ASSERT_EQ(b.appareil.Commandes("0x80"), 3);
  EXPECT_EQ(b.form.LabelBarreProgression.Caption(), Reste("25.5"));

  b.Precedent();
  VerifierPage(b.form, 5);
  EXPECT_FALSE(b.form.TimerGestionSerie.Enabled());
  b.ui.RunFor(10s);
  EXPECT_EQ(b.appareil.Commandes("0x80"), 3);
  EXPECT_TRUE(b.fake.IsOpen(COM1));  // cancelling sends nothing and keeps the port

  const Us connexion = b.Suivant();
  VerifierPage(b.form, 6);
  b.ui.RunFor(kTick + 1200ms);
  EXPECT_EQ(b.form.ProgressBarProgrammation.Position(), 1);
  EXPECT_EQ(b.form.LabelBarreProgression.Caption(), Reste("28.5"));
  b.ui.QueueAnswer(ui::mrOk);
  ASSERT_TRUE(b.ui.RunUntil([&] { return !b.ui.Dialogs().empty(); }, 60s));
  EXPECT_EQ(b.appareil.Commandes("0x80"), 23);
  EXPECT_GT(b.ui.Dialogs()[0].shownAt, connexion + kTick * 20);
  EXPECT_LT(b.ui.Dialogs()[0].shownAt, connexion + kTick * 21);
}

}  // namespace
}  // namespace banc
