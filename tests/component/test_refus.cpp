// The device checks of page 7 at their boundaries: model, boot-loader
// version, serial number and installed version, each refusal with its dialog
// and both of its answers.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/component/Pages.h"

namespace banc {
namespace {

constexpr const char* kAutre = "\n\nVoulez vous faire la mise à jour sur un autre Orvalis ZT ?";

struct Refus {
  std::string texte;
  ui::MsgDlgType type;
};

struct Cas {
  const char* nom;
  sim::Options options;
  std::optional<Refus> refus;  // none: the device goes on to programming
  const char* ligne2;          // nullptr: the serial number is never read
  int lecturesEeprom;          // 0x89 commands the checks send
};

const Refus kSerie{std::string("Le numéro de série de l'appareil n'est pas valide.\n\n"
                               "Contacter notre service technique (tél. : +33 1 99 00 12 34.") +
                       kAutre,
                   ui::mtError};
const Refus kDejaAJour{std::string("Votre Orvalis ZT a déjà cette mise à jour.") + kAutre,
                       ui::mtInformation};
const Refus kPlusRecente{std::string("Votre Orvalis ZT a une mise à jour plus récente.") + kAutre,
                         ui::mtInformation};
const Refus kChargeur{std::string("L'appareil n'est pas pour cette version du Orvalis ZT.") + kAutre,
                      ui::mtError};
const Refus kModele{std::string("L'appareil n'est pas un Orvalis ZT.") + kAutre, ui::mtError};

constexpr const char* kSerieDefaut = "Le numéro de série de l'appareil est le : 0212345678";

sim::Options Serie(std::uint32_t n) { return {.numeroSerie = n}; }
sim::Options Version(int majeure, int mineure) {
  return {.versionMajeure = majeure, .versionMineure = mineure};
}

const Cas kCas[] = {
    {"serial 199999999", Serie(199999999), kSerie,
     "Le numéro de série de l'appareil est le : 0199999999", 4},
    {"serial 200000000", Serie(200000000), std::nullopt,
     "Le numéro de série de l'appareil est le : 0200000000", 6},
    {"serial 299999999", Serie(299999999), std::nullopt,
     "Le numéro de série de l'appareil est le : 0299999999", 6},
    {"serial 300000000", Serie(300000000), kSerie,
     "Le numéro de série de l'appareil est le : 0300000000", 4},
    {"version 0.0", Version(0, 0), std::nullopt, kSerieDefaut, 6},
    {"version 0.255", Version(0, 255), std::nullopt, kSerieDefaut, 6},
    {"version 1.0", Version(1, 0), std::nullopt, kSerieDefaut, 6},
    {"version 1.1", Version(1, 1), std::nullopt, kSerieDefaut, 6},
    {"version 1.2", Version(1, 2), kDejaAJour, kSerieDefaut, 6},
    {"version 1.3", Version(1, 3), kPlusRecente, kSerieDefaut, 6},
    {"version 2.0", Version(2, 0), kPlusRecente, kSerieDefaut, 6},
    {"version 255.255", Version(255, 255), kPlusRecente, kSerieDefaut, 6},
    {"boot loader 0", {.versionChargeur = 0}, kChargeur, nullptr, 0},
    {"boot loader 1", {.versionChargeur = 1}, std::nullopt, kSerieDefaut, 6},
    {"boot loader 2", {.versionChargeur = 2}, kChargeur, nullptr, 0},
    {"model K01", {.codeModele = "K01"}, kModele, nullptr, 0},
};

// What line 2 shows while the dialog is up.
struct Ligne2 {
  std::string legende;
  bool visible = false;
};

void VerifierAccepte(Banc& b, const Cas& c) {
  ASSERT_TRUE(b.AllerA(8, 10s));
  EXPECT_TRUE(b.ui.Dialogs().empty());
  EXPECT_EQ(b.form.LabelLigne2.Caption(), c.ligne2);
  EXPECT_EQ(b.appareil.Commandes("0x89"), c.lecturesEeprom);
}

// A refused device is told to end its session and is sent nothing more.
void VerifierRefuse(Banc& b, const Cas& c, ui::ModalResult reponse) {
  Ligne2 ligne2;
  b.ui.OnDialog([&](const ui::headless::DialogRecord&) {
    ligne2 = {b.form.LabelLigne2.Caption(), b.form.LabelLigne2.Visible()};
    return ui::headless::DialogAnswer{reponse};
  });
  ASSERT_TRUE(b.AllerA(7));
  ASSERT_TRUE(b.ui.RunUntil([&] { return !b.ui.Dialogs().empty(); }, 10s));
  ASSERT_EQ(b.ui.Dialogs().size(), 1u);
  const auto& d = b.ui.Dialogs()[0].request;
  EXPECT_EQ(d.text, c.refus->texte);
  EXPECT_EQ(d.type, c.refus->type);
  EXPECT_EQ(d.caption, c.refus->type == ui::mtError ? "Erreur" : "Information");
  EXPECT_EQ(d.buttons, ui::MsgDlgButtons({ui::mbYes, ui::mbNo}));
  EXPECT_EQ(ligne2.visible, c.ligne2 != nullptr);
  if (c.ligne2) {
    EXPECT_EQ(ligne2.legende, c.ligne2);
  }

  b.ui.RunFor(5s);
  EXPECT_EQ(b.appareil.Commandes("0x89"), c.lecturesEeprom);
  EXPECT_EQ(b.appareil.Commandes("0x04"), 1);
  for (const char* jamais : {"0x83", "0x90", "0x8D", "0x91"})
    EXPECT_EQ(b.appareil.Commandes(jamais), 0) << jamais;
  const std::string fil = b.fake.Wire();
  EXPECT_EQ(fil.substr(fil.size() - 11), "TX 04 RX 84");
  if (reponse == ui::mrYes) {
    VerifierPage(b.form, 5);
  } else {
    EXPECT_TRUE(b.Ferme());
  }
}

TEST(Refus, EachCheckAtItsBoundariesRefusesWithItsDialogOrGoesOn) {
  for (const Cas& c : kCas) {
    SCOPED_TRACE(c.nom);
    if (!c.refus) {
      Banc b(c.options);
      VerifierAccepte(b, c);
      continue;
    }
    for (ui::ModalResult reponse : {ui::mrYes, ui::mrNo}) {
      SCOPED_TRACE(reponse == ui::mrYes ? "Yes" : "No");
      Banc b(c.options);
      VerifierRefuse(b, c, reponse);
    }
  }
}

}  // namespace
}  // namespace banc
