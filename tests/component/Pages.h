// What the user sees on each page of the wizard, as the pages leave the
// window on the way forward, and the check of the window against it.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "tests/component/Banc.h"

namespace banc {

// A caption of nullptr is not looked at: a hidden control keeps whatever an
// earlier page wrote into it.
struct Texte {
  const char* legende;
  bool visible;
};
struct Bouton {
  const char* legende;
  bool actif;
  bool visible;
};
struct Page {
  std::uint32_t numero;
  const char* titre;
  std::array<Texte, 5> lignes;
  Texte progression;
  bool barre;
  bool image;
  int largeurImage;  // looked at while the picture is shown
  bool groupePorts;
  Bouton suivant, precedent, quitter;
};

inline constexpr Texte Cache{nullptr, false};
inline constexpr Bouton BoutonCache{nullptr, false, false};

// Page 7 as it first shows, before any check; page 8 as it starts, with the
// checks of a device that passed them; page 9 before the start command.
inline constexpr std::array<Page, 9> Pages{{
    {1, "Mise à jour de votre Orvalis ZT ",
     {{{"Mise à jour du 12/11/2007", true},
       {"Bonjour,", true},
       {"Vous allez effectuer la dernière mise à jour en date sur votre Orvalis ZT.", true},
       {"Celle-ci optimise les performances de votre appareil.", true},
       Cache}},
     {"Cette mise à jour permet de bénéficier pleinement des dernières évolutions.", true},
     false, false, 0, false,
     {"&Suivant", true, true}, {"&Précédent", false, true}, {"&Quitter", true, true}},
    {2, "Préparation du Orvalis ZT pour la mise à jour",
     {{{"Connecter le cordon de connexion PC sur votre Orvalis ZT", true}, Cache, Cache, Cache, Cache}},
     Cache, false, true, 181, false,
     {"&Suivant", true, true}, {"&Précédent", true, true}, {"&Quitter", true, true}},
    {3, "Connexion du Orvalis ZT à l'ordinateur",
     {{{"Connecter le cordon de connexion à votre ordinateur", true}, Cache, Cache, Cache, Cache}},
     Cache, false, true, 362, false,
     {"&Suivant", true, true}, {"&Précédent", true, true}, {"&Quitter", true, true}},
    {4, "Choix du port de communication",
     {{{"Sélectionner le port série connecté", true}, Cache, Cache, Cache, Cache}},
     Cache, false, false, 0, true,
     {"&Suivant", true, true}, {"&Précédent", true, true}, {"&Quitter", true, true}},
    {5, "Vérification et lancement de la mise à jour.",
     {{{"Vérifier que le Orvalis ZT est bien connecté à l'ordinateur.", true},
       {"Après avoir cliqué sur <Connexion> vous pouvez le mettre en marche.", true},
       Cache,
       {"Cliquer sur <Connexion> et mettre en marche le Orvalis ZT.", true},
       Cache}},
     Cache, false, false, 0, false,
     {"&Connexion", true, true}, {"&Précédent", true, true}, {"&Quitter", true, true}},
    {6, "Attente de la Connexion",
     {{{"Mettre en marche le Orvalis ZT", true}, Cache, Cache, Cache, Cache}},
     {"Le temps restant pour allumer votre Orvalis ZT est de 30.0 s", true},
     false, false, 0, false,
     {"&Connexion", false, true}, {"&Annuler", true, true}, {"&Quitter", true, true}},
    {7, "Vérification de l'appareil",
     {{Cache, Cache, Cache, Cache, Cache}},
     Cache, false, false, 0, false,
     {"&Connexion", false, true}, BoutonCache, {"&Quitter", false, true}},
    {8, "Programmation du Orvalis ZT",
     {{{"Le type de l'appareil est le bon.", true},
       {"Le numéro de série de l'appareil est le : 0212345678", true},
       {"", true},
       {"Préparation pour la transmission du programme", true},
       {"Transmission du programme au Orvalis ZT", true}}},
     {"Avancement de la mise à jour : 0.0 %", true},
     true, false, 0, false,
     {"&Connexion", false, true}, BoutonCache, {"&Quitter", false, true}},
    {9, "Mise à jour réussie",
     {{Cache, Cache, Cache, Cache, Cache}},
     {"Voulez vous faire la mise à jour sur un autre Orvalis ZT ?", true},
     false, false, 0, false,
     BoutonCache, {"&Oui", true, true}, {"&Non", true, true}},
}};

inline void VerifierTexte(const ui::Control& c, const Texte& attendu) {
  EXPECT_EQ(c.Visible(), attendu.visible) << c.Name();
  if (attendu.legende) {
    EXPECT_EQ(c.Caption(), attendu.legende) << c.Name();
  }
}

inline void VerifierBouton(const ui::Button& b, const Bouton& attendu) {
  EXPECT_EQ(b.Visible(), attendu.visible) << b.Name();
  if (!attendu.visible) return;
  EXPECT_EQ(b.Caption(), attendu.legende) << b.Name();
  EXPECT_EQ(b.Enabled(), attendu.actif) << b.Name();
}

// The window against page `numero` of the table.
inline void VerifierPage(const TFormMj& f, std::uint32_t numero) {
  const Page& p = Pages.at(numero - 1);
  SCOPED_TRACE("page " + std::to_string(numero));
  EXPECT_EQ(f.Etape, numero);
  EXPECT_EQ(f.EditEtape.Text(), "Etape n° " + std::to_string(numero) + " sur 9");
  EXPECT_EQ(f.Caption(), "Mise à jour du Orvalis ZT");
  EXPECT_EQ(f.LabelTitreEtape.Caption(), p.titre);
  const ui::Label* lignes[] = {&f.LabelLigne1, &f.LabelLigne2, &f.LabelLigne3, &f.LabelLigne4,
                               &f.LabelLigne5};
  for (std::size_t i = 0; i < 5; ++i) VerifierTexte(*lignes[i], p.lignes[i]);
  VerifierTexte(f.LabelBarreProgression, p.progression);
  EXPECT_EQ(f.ProgressBarProgrammation.Visible(), p.barre);
  EXPECT_EQ(f.ImageConnectAppareilaPC.Visible(), p.image);
  if (p.image) {
    EXPECT_EQ(f.ImageConnectAppareilaPC.Width(), p.largeurImage);
  }
  EXPECT_EQ(f.GroupBoxChoixPort.Visible(), p.groupePorts);
  VerifierBouton(f.ButtonSuivant, p.suivant);
  VerifierBouton(f.ButtonPrecedant, p.precedent);
  VerifierBouton(f.ButtonQuitter, p.quitter);
}

}  // namespace banc
