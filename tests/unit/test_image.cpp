// The row decoder, the row table and the firmware image built into the program.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "wizard/ImageMicrologiciel.h"
#include "wizard/LigneImage.h"

namespace {

struct CasLigne {
  const char* nom;
  const char* texte;
  std::int32_t nbMots;
  std::int32_t adresseMot;
  std::int32_t type;
  Destination destination;
  std::vector<std::int32_t> mots;         // Mot(0..) of a program row
  std::vector<std::int32_t> octetsEeprom;  // OctetEeprom(0..) of an EEPROM row
};
void PrintTo(const CasLigne& cas, std::ostream* os) { *os << cas.texte; }

const CasLigne CasLignes[] = {
    {"Word47Skipped", ":02005E0034125A", 1, 47, 0, Destination::Rien, {}, {}},
    {"Word48Written", ":02006000341258", 1, 48, 0, Destination::Programme, {0x1234}, {}},
    {"OddAddressLowered", ":02006100341257", 1, 48, 0, Destination::Programme, {0x1234}, {}},
    {"Word8191Written", ":023FFE00FF3F83", 1, 8191, 0, Destination::Programme, {0x3FFF}, {}},
    {"Word8192Skipped", ":02400000FF3F80", 1, 8192, 0, Destination::Rien, {}, {}},
    {"Word8447Skipped", ":0241FE00FF3F81", 1, 8447, 0, Destination::Rien, {}, {}},
    {"Word8448ToEeprom0", ":02420000AB0011", 1, 8448, 0, Destination::Eeprom, {}, {0xAB}},
    {"EepromRowTakesFirstBytes", ":1042000011AA22BB33CC44DD55EE66FF770088014E", 8, 8448, 0, Destination::Eeprom,
     {}, {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88}},
    {"OddCountDropsLastByte", ":0F0060000100020003000400050006000700086D", 7, 48, 0, Destination::Programme,
     {1, 2, 3, 4, 5, 6, 7}, {}},
    {"FullRow", ":10006000640040206020832000309F3F0800000093", 8, 48, 0, Destination::Programme,
     {0x0064, 0x2040, 0x2060, 0x2083, 0x3000, 0x3F9F, 0x0008, 0x0000}, {}},
    {"ExtendedAddressIgnored", ":020000040001F9", 1, 0, 4, Destination::Rien, {}, {}},
    {"RowAfterExtendedKeeps16Bits", ":02006000FF3F60", 1, 48, 0, Destination::Programme, {0x3FFF}, {}},
    {"Type03TreatedAsData", ":02006003341255", 1, 48, 3, Destination::Programme, {0x1234}, {}},
    {"Type02AtZeroSkipped", ":020000021000EC", 1, 0, 2, Destination::Rien, {}, {}},
    {"EndOfFile", ":00000001FF", 0, 0, 1, Destination::FinImage, {}, {}},
};

class DecodageLigne : public testing::TestWithParam<CasLigne> {};

TEST_P(DecodageLigne, GivesCountAddressTypeAndData) {
  const CasLigne& cas = GetParam();
  const LigneImage ligne(cas.texte);

  EXPECT_EQ(ligne.NbMots, cas.nbMots);
  EXPECT_EQ(ligne.AdresseMot, cas.adresseMot);
  EXPECT_EQ(ligne.TypeEnregistrement, cas.type);
  EXPECT_EQ(ligne.LaDestination(), cas.destination);
  if (cas.destination == Destination::Programme) {
    std::vector<std::int32_t> mots;
    for (std::int32_t i = 0; i < ligne.NbMots; ++i) mots.push_back(ligne.Mot(i));
    EXPECT_EQ(mots, cas.mots);
  }
  if (cas.destination == Destination::Eeprom) {
    std::vector<std::int32_t> octets;
    for (std::int32_t i = 0; i < ligne.NbMots; ++i) octets.push_back(ligne.OctetEeprom(i));
    EXPECT_EQ(octets, cas.octetsEeprom);
    EXPECT_EQ(AdresseEeprom(ligne.AdresseMot, 0), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(LigneImage, DecodageLigne, testing::ValuesIn(CasLignes),
                         [](const testing::TestParamInfo<CasLigne>& cas) { return cas.param.nom; });

TEST(RemplirLignes, RefersEachEntryToItsSlotAndStopsAtTheEmptySlot) {
  TableLignes lignes{};

  const std::int32_t n = RemplirLignes(lignes);
  ASSERT_EQ(n, 188);
  EXPECT_EQ(RemplirLignes(lignes), n);  // every verification fills it again, the same
  for (std::int32_t k = 0; k < n; ++k) EXPECT_EQ(lignes[static_cast<std::size_t>(k)], ImageMicrologiciel[k]);
  EXPECT_EQ(lignes[188], nullptr);
  EXPECT_STREQ(lignes[187], ":00000001FF");
}

TEST(RemplirLignes, NeverFillsMoreThanTheTableHolds) {
  // An image with no terminating slot within reach of the table.
  const std::size_t nbSlots = NbLignesMax + 1;
  auto image = std::make_unique<char[][LargeurLigneImage]>(nbSlots);
  for (std::size_t k = 0; k < nbSlots; ++k) std::strcpy(image[k], ":00000001FF");
  TableLignes lignes{};

  EXPECT_EQ(RemplirLignes(lignes, image.get()), static_cast<std::int32_t>(NbLignesMax));
  EXPECT_EQ(lignes.back(), image[NbLignesMax - 1]);
}

// The built image, row by row.
class ImageConstruite : public testing::Test {
 protected:
  void SetUp() override { n = RemplirLignes(lignes); }
  TableLignes lignes{};
  std::int32_t n = 0;
};

TEST_F(ImageConstruite, SlotsHoldUppercaseRecordTextsPaddedWithNul) {
  for (std::int32_t k = 0; k <= n; ++k) {
    const char* slot = ImageMicrologiciel[k];
    const std::size_t longueur = std::strlen(slot);
    ASSERT_LE(longueur, LongueurMaxEnregistrement) << "row " << k;
    for (std::size_t i = longueur; i < LargeurLigneImage; ++i) EXPECT_EQ(slot[i], '\0') << "row " << k;
    if (k == n) break;  // the terminating slot: all NUL
    EXPECT_EQ(slot[0], ':');
    EXPECT_EQ(std::strspn(slot + 1, "0123456789ABCDEF"), longueur - 1) << slot;
    const std::size_t attendue = k == 170 ? 15 : k == 186 ? 39 : k == 187 ? 11 : 43;
    EXPECT_EQ(longueur, attendue) << "row " << k;
  }
  EXPECT_EQ(ImageMicrologiciel[n][0], '\0');
}

// Rows first..last fill the words from premierMot on, without a gap.
struct Plage {
  std::int32_t premiere, derniere, premierMot, nbMots;
};

TEST_F(ImageConstruite, ThreeRunsOf1488ProgramWordsThenEndOfFile) {
  ASSERT_EQ(n, 188);
  const Plage plages[] = {{0, 169, 0x0030, 1360}, {170, 170, 0x1000, 1}, {171, 186, 0x19C0, 127}};
  std::int32_t total = 0;
  for (const Plage& p : plages) {
    std::int32_t suivant = p.premierMot;
    for (std::int32_t k = p.premiere; k <= p.derniere; ++k) {
      const LigneImage ligne(lignes[static_cast<std::size_t>(k)]);
      EXPECT_EQ(ligne.TypeEnregistrement, TypeDonnees) << "row " << k;
      EXPECT_EQ(ligne.AdresseMot, suivant) << "row " << k;
      EXPECT_EQ(ligne.LaDestination(), Destination::Programme) << "row " << k;
      if (ligne.NbMots == 8) {
        EXPECT_EQ(ligne.AdresseMot % 8, 0) << "row " << k;  // 16-byte boundary
      }
      for (std::int32_t i = 0; i < ligne.NbMots; ++i) EXPECT_LE(ligne.Mot(i) >> 8, 0x30) << "row " << k;
      suivant += ligne.NbMots;
    }
    EXPECT_EQ(suivant - p.premierMot, p.nbMots);
    total += suivant - p.premierMot;
  }
  EXPECT_EQ(total, 1488);
  EXPECT_EQ(LigneImage(lignes[170]).NbMots, 1);
  EXPECT_EQ(LigneImage(lignes[186]).NbMots, 7);
  EXPECT_EQ(LigneImage(lignes[187]).LaDestination(), Destination::FinImage);
}

// Runs a command with its standard output into a file; gives the exit status.
class AvecOutilSrecord : public ImageConstruite {
 protected:
  void SetUp() override {
    ImageConstruite::SetUp();
    dossier = std::filesystem::path(testing::TempDir()) / ("zt-image-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dossier);
  }
  void TearDown() override { std::filesystem::remove_all(dossier); }

  int Lancer(const std::string& arguments, std::string& sortie) {
    const auto fichier = dossier / "stdout";
    const std::string commande = arguments + " > \"" + fichier.string() + "\" 2>&1";
    const int statut = std::system(commande.c_str());
    std::ifstream flux(fichier);
    sortie.assign(std::istreambuf_iterator<char>(flux), std::istreambuf_iterator<char>());
    return statut;
  }

  std::filesystem::path dossier;
};

// "@ADDR w w w ..." lines: the address counts 16-bit words, as the device does.
std::map<std::int32_t, std::int32_t> LireVmem(const std::string& texte) {
  std::map<std::int32_t, std::int32_t> mots;
  std::istringstream flux(texte);
  std::string jeton;
  std::int32_t adresse = 0;
  while (flux >> jeton) {
    if (jeton.rfind("/*", 0) == 0) {
      std::getline(flux, jeton);  // srec_cat's comment line
    } else if (jeton[0] == '@') {
      adresse = static_cast<std::int32_t>(std::stol(jeton.substr(1), nullptr, 16));
    } else {
      mots[adresse++] = static_cast<std::int32_t>(std::stol(jeton, nullptr, 16));
    }
  }
  return mots;
}

TEST_F(AvecOutilSrecord, DecodedRowsGiveTheWordsAnIndependentReaderFinds) {
  std::string vmem;
  // The HEX file holds each word low byte first; -byte-swap 2 makes the words read as numbers.
  ASSERT_EQ(Lancer(std::string("\"") + ZT_SREC_CAT + "\" \"" + ZT_IMAGE_HEX +
                       "\" -Intel -byte-swap 2 -Output - -VMem 16",
                   vmem),
            0)
      << vmem;
  const std::map<std::int32_t, std::int32_t> attendus = LireVmem(vmem);

  std::map<std::int32_t, std::int32_t> decodes;
  for (std::int32_t k = 0; k < n; ++k) {
    const LigneImage ligne(lignes[static_cast<std::size_t>(k)]);
    if (ligne.LaDestination() != Destination::Programme) continue;
    for (std::int32_t i = 0; i < ligne.NbMots; ++i) {
      EXPECT_TRUE(decodes.emplace(ligne.AdresseMot + i, ligne.Mot(i)).second) << "word written twice";
    }
  }
  EXPECT_EQ(attendus.size(), 1488u);
  EXPECT_EQ(decodes, attendus);
}

TEST_F(AvecOutilSrecord, ChecksumsOfTheFileAreValid) {
  std::string rapport;
  EXPECT_EQ(Lancer(std::string("\"") + ZT_SREC_INFO + "\" \"" + ZT_IMAGE_HEX + "\" -Intel", rapport), 0)
      << rapport;

  // The same reader on a copy with one checksum off must complain, or the check above proves nothing.
  std::ifstream source(ZT_IMAGE_HEX);
  std::string contenu((std::istreambuf_iterator<char>(source)), std::istreambuf_iterator<char>());
  const std::size_t finPremiere = contenu.find('\n');
  contenu[finPremiere - 1] = contenu[finPremiere - 1] == '0' ? '1' : '0';
  const auto copie = dossier / "altered.hex";
  std::ofstream(copie) << contenu;
  EXPECT_NE(Lancer(std::string("\"") + ZT_SREC_INFO + "\" \"" + copie.string() + "\" -Intel", rapport), 0);
  EXPECT_NE(rapport.find("checksum"), std::string::npos) << rapport;
}

}  // namespace
