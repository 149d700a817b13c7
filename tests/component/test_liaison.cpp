// Link failures during the transfer: the row cut short where the line went,
// the dialog and its two answers, a new attempt from the first row, and the
// version stamp that must not pass for done when it fails.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "tests/component/Pages.h"

namespace banc {
namespace {

constexpr const char* kErreurTransmission =
    "Un Problème de transmission s'est produit.\n\nPour essayer une nouvelle fois, vous devez "
    "d'abord : \n   Déconnecter puis reconnecter la pile et faire une nouvelle tentative.\n\n"
    "Voulez vous essayer de nouveau ?";

// Where the device hangs up: the third word of row kLigne, counted among all
// the word writes before it.
constexpr std::int32_t kLigne = 60;

struct Coupure {
  std::int32_t ecriture;                         // 1-based number of the word write
  std::uint32_t adresse;                         // word address of the row
  std::map<std::uint32_t, std::uint16_t> avant;  // the words written before it
};

Coupure TroisiemeMotDeLaLigne() {
  TableLignes lignes{};
  RemplirLignes(lignes);
  Coupure c{};
  for (std::int32_t k = 0; k <= kLigne; ++k) {
    const LigneImage l(lignes[static_cast<std::size_t>(k)]);
    if (l.LaDestination() != Destination::Programme) continue;
    for (std::int32_t i = 0; i < (k < kLigne ? l.NbMots : 2); ++i)
      c.avant[static_cast<std::uint32_t>(l.AdresseMot + i)] = static_cast<std::uint16_t>(l.Mot(i));
    if (k == kLigne) {
      EXPECT_GE(l.NbMots, 4);
      c.adresse = static_cast<std::uint32_t>(l.AdresseMot);
    }
  }
  c.ecriture = static_cast<std::int32_t>(c.avant.size()) + 1;
  return c;
}

void VerifierDialogueErreur(const Banc& b) {
  ASSERT_EQ(b.ui.Dialogs().size(), 1u);
  const auto& d = b.ui.Dialogs()[0].request;
  EXPECT_EQ(d.text, kErreurTransmission);
  EXPECT_EQ(d.caption, "Erreur");
  EXPECT_EQ(d.buttons, ui::MsgDlgButtons({ui::mbYes, ui::mbNo}));
}

// The device hangs up instead of acknowledging the third word of a row, and
// every try the link makes of that word fails on the dead line.
TEST(Liaison, AFailureAtTheThirdWordOfARowStopsTheTransferThereAndYesStartsAgain) {
  const Coupure coupure = TroisiemeMotDeLaLigne();
  Banc b({.raccrocherEcriture = coupure.ecriture});
  b.ui.QueueAnswer(ui::mrYes);
  ASSERT_TRUE(b.AllerA(8));
  ASSERT_TRUE(b.ui.RunUntil([&] { return !b.ui.Dialogs().empty(); }, 60s));
  VerifierDialogueErreur(b);

  const sim::Rapport& r = b.appareil.Rapport();
  EXPECT_EQ(r.mots, coupure.avant);
  EXPECT_TRUE(r.mots.contains(coupure.adresse + 1));
  EXPECT_FALSE(r.mots.contains(coupure.adresse + 2));
  EXPECT_EQ(b.form.IndexLigne, kLigne + 1);
  // Nothing left the host after the third word's eight digits, its retries
  // and the end of session included: the line was dead.
  EXPECT_EQ(static_cast<int>(b.Instants("TX 8D").size()), coupure.ecriture);
  const std::string fil = b.fake.Wire();
  const std::string queue = fil.substr(fil.rfind("TX 8D") + 5);
  EXPECT_EQ(queue.size(), 8 * 6u) << queue;
  EXPECT_EQ(queue.find("RX"), std::string::npos) << queue;
  EXPECT_EQ(r.eeprom[246], 1);  // the former version stays

  VerifierPage(b.form, 5);
  // The user reconnects the battery and tries again: the wait, the checks
  // and the whole image from its first row.
  b.appareil.Rebrancher({});
  b.Suivant();
  VerifierPage(b.form, 6);
  ASSERT_TRUE(b.Terminer());
  const sim::Rapport& apres = b.appareil.Rapport();
  EXPECT_EQ(apres.commandes.at("0x80"), 1);
  EXPECT_EQ(apres.mots, MotsDeLImage());
  EXPECT_EQ(apres.ecrituresMot, 1488);
  EXPECT_EQ(apres.eeprom[246], 2);
  EXPECT_TRUE(apres.applicationLancee);
}

TEST(Liaison, NoAfterALinkFailureClosesTheWindow) {
  Banc b({.raccrocherEcriture = 100});
  b.ui.QueueAnswer(ui::mrNo);
  ASSERT_TRUE(b.AllerA(8));
  ASSERT_TRUE(b.ui.RunUntil([&] { return !b.ui.Dialogs().empty(); }, 60s));
  VerifierDialogueErreur(b);
  EXPECT_TRUE(b.Ferme());
  EXPECT_EQ(b.form.Etape, 8u);
}

// The stamp is the only proof that the device holds the new firmware: when
// either of its two writes fails the update has failed, and the device keeps
// the version it had.
TEST(Liaison, AFailedVersionStampIsALinkFailureNotASuccess) {
  // WriteFile calls from the end-of-file row's tick on: the major byte's
  // command is the first, the minor byte's the sixth (command, 4 digits).
  for (int appel : {1, 6}) {
    SCOPED_TRACE("write " + std::to_string(appel) + " of the stamp fails");
    Banc b;
    b.ui.QueueAnswer(ui::mrYes);
    ASSERT_TRUE(b.AllerA(8));
    ASSERT_TRUE(b.ui.RunUntil([&] { return b.form.IndexLigne == kLignesImage - 1; }, 60s));
    b.fake.FailCall("WriteFile", os::ERROR_GEN_FAILURE, appel);
    ASSERT_TRUE(b.ui.RunUntil([&] { return !b.ui.Dialogs().empty(); }, 5s));
    VerifierDialogueErreur(b);
    b.ui.RunFor(1s);
    VerifierPage(b.form, 5);
    const sim::Rapport& r = b.appareil.Rapport();
    EXPECT_EQ(r.mots, MotsDeLImage());
    EXPECT_EQ(r.eeprom[245], 1);
    EXPECT_EQ(r.eeprom[246], 1);
    EXPECT_FALSE(r.applicationLancee);
    EXPECT_TRUE(b.Instants("TX 91").empty());
  }
}

}  // namespace
}  // namespace banc
