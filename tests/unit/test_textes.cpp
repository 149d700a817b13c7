// The text catalogue and its formatting, as the window and the dialogs use them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "link/Classek02.h"
#include "platform/os/fake/FakeOs.h"
#include "wizard/CatalogueTextes.h"
#include "wizard/Formater.h"

namespace {

const char* Fr(int entree) { return CatalogueTextes[static_cast<std::size_t>(entree)][0]; }

TEST(CatalogueTextes, FormatsEachKindOfPlaceholder) {
  os::FakeOs fake;
  CK02 liaison(fake);
  const char* nom = liaison.NomModele();
  struct Cas {
    std::string obtenu;
    const char* attendu;
  };
  const Cas cas[] = {
      {Formater(Fr(TexteTitreFenetre), nom), "Mise à jour du Orvalis ZT"},
      {Formater(Fr(TexteTitreAccueil), nom), "Mise à jour de votre Orvalis ZT "},
      {Formater(Fr(TexteEtape), 1, 9), "Etape n° 1 sur 9"},
      {Formater(Fr(TexteEtape), 9, 9), "Etape n° 9 sur 9"},
      {Formater(Fr(TexteNumeroSerie), 200000000ul),
       "Le numéro de série de l'appareil est le : 0200000000"},
      {Formater(Fr(TexteNumeroSerie), 12345ul), "Le numéro de série de l'appareil est le : 0000012345"},
      {Formater(Fr(TexteNumeroSerie), 4294967295ul),
       "Le numéro de série de l'appareil est le : 4294967295"},
      {Formater(Fr(TexteAvancement), 0.0), "Avancement de la mise à jour : 0.0 %"},
      {Formater(Fr(TexteAvancement), 187.0 / 188.0 * 100), "Avancement de la mise à jour : 99.5 %"},
      {Formater(Fr(TexteAvancement), 100.0), "Avancement de la mise à jour : 100.0 %"},
      {Formater(Fr(TexteTempsRestant), nom, 28.5),
       "Le temps restant pour allumer votre Orvalis ZT est de 28.5 s"},
      {Formater(Fr(TexteRefusModele), nom, nom),
       "L'appareil n'est pas un Orvalis ZT.\n\nVoulez vous faire la mise à jour sur un autre "
       "Orvalis ZT ?"},
      {Formater(Fr(TexteVersionCorrecte)), ""},
  };
  for (const Cas& c : cas) EXPECT_EQ(c.obtenu, c.attendu);
}

TEST(CatalogueTextes, KeepsTheBlanksAndLineBreaksOfTheDialogs) {
  const std::string echec = Formater(Fr(TexteEchecConnexion), "X", "X");
  EXPECT_EQ(echec,
            "Echec à la connexion :\n   - Soit le X n'a pas été connecté à l'ordinateur.\n  - Soit "
            "le X n'a pas été mis en marche. \n  - Soit le port série sélectionné ne correspond "
            "pas au port connecté.\n\n  Dans ce dernier cas, sélectionner un autre port série dans "
            "la liste.\n");
  const std::string serie = Fr(TexteRefusNumeroSerie);
  EXPECT_EQ(serie.rfind("Le numéro de série de l'appareil n'est pas valide.\n\nContacter notre "
                        "service technique (tél. : +", 0),
            0u);
  EXPECT_NE(serie.find(".\n\nVoulez vous faire la mise à jour sur un autre %s ?"),
            std::string::npos);
  EXPECT_STREQ(Fr(TexteErreurTransmission),
               "Un Problème de transmission s'est produit.\n\nPour essayer une nouvelle fois, vous "
               "devez d'abord : \n   Déconnecter puis reconnecter la pile et faire une nouvelle "
               "tentative.\n\nVoulez vous essayer de nouveau ?");
  EXPECT_STREQ(Fr(TexteApresConnexion),
               "Après avoir cliqué sur <Connexion> vous pouvez le mettre en marche.");
}

// The dialogs fill every %s with the display name and nothing else: a stray
// conversion would read an argument that was never passed.
TEST(CatalogueTextes, EveryEntryUsesOnlyTheConversionsItsCallersPass) {
  ASSERT_EQ(CatalogueTextes.size(), 47u);
  for (std::size_t i = 0; i < CatalogueTextes.size(); ++i) {
    for (int langue : {0, 1}) {
      const char* texte = CatalogueTextes[i][langue];
      ASSERT_NE(texte, nullptr) << i;
      for (const char* p = std::strchr(texte, '%'); p; p = std::strchr(p + 2, '%')) {
        const std::string suite(p, std::min<std::size_t>(std::strlen(p), 6));
        const bool connu = suite.rfind("%s", 0) == 0 || suite.rfind("%i", 0) == 0 ||
                           suite.rfind("%.1f", 0) == 0 || suite.rfind("%010lu", 0) == 0 ||
                           suite.rfind("%%", 0) == 0;
        EXPECT_TRUE(connu) << "entry " << i << ": " << suite;
      }
    }
  }
}

}  // namespace
