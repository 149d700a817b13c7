// The build-time checks of the firmware HEX file: every row the device could
// not take is refused with its line, and a file the device can take passes.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "tools/VerificationHex.h"

namespace {

// A record with the byte count given apart from the data, so a test can make
// them disagree; the checksum is the right one unless told otherwise.
std::string Brut(unsigned compte, unsigned adresse, unsigned type, const std::vector<unsigned>& donnees,
                 int ecartSomme = 0) {
  std::vector<unsigned> octets = {compte, adresse >> 8, adresse & 0xFF, type};
  octets.insert(octets.end(), donnees.begin(), donnees.end());
  unsigned somme = 0;
  for (unsigned o : octets) somme += o;
  octets.push_back((256 - somme % 256 + static_cast<unsigned>(ecartSomme)) % 256);
  std::string texte = ":";
  char paire[3];
  for (unsigned o : octets) {
    std::snprintf(paire, sizeof paire, "%02X", o);
    texte += paire;
  }
  return texte;
}

std::string Ligne(unsigned adresse, unsigned type, const std::vector<unsigned>& donnees) {
  return Brut(static_cast<unsigned>(donnees.size()), adresse, type, donnees);
}

const std::string Fin = ":00000001FF";
const std::vector<unsigned> Huit = {0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x04, 0x00,
                                    0x05, 0x00, 0x06, 0x00, 0x07, 0x00, 0x08, 0x00};

std::string Fichier(const std::vector<std::string>& lignes) {
  std::string contenu;
  for (const std::string& l : lignes) contenu += l + "\n";
  return contenu;
}

std::string EnMinuscules(std::string texte) {
  for (char& c : texte) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return texte;
}

// n data records of one word each, from word 48 up, then the end-of-file record.
std::string FichierDe(unsigned n) {
  std::vector<std::string> lignes;
  for (unsigned i = 0; i < n; ++i) lignes.push_back(Ligne(0x0060 + 2 * i, 0x00, {0x00, 0x30}));
  lignes.push_back(Fin);
  return Fichier(lignes);
}

TEST(VerificationHex, AcceptsEveryRowTheDeviceTakes) {
  const std::vector<std::string> lignes = {
      ":0220000012309C",                                    // a row of the shipped image
      Ligne(0x0060, 0x00, Huit),                            // word 48, the first one written
      Ligne(0x3FFE, 0x00, {0xFF, 0x3F}),                    // word 8191, the last, 14 bits full
      Ligne(0x1000, 0x00, std::vector<unsigned>(20, 0x30)),  // 20 bytes: 51 characters
      Ligne(0x4200, 0x00, Huit),                            // EEPROM 0 to 7
      Ligne(0x43FE, 0x00, {0xAB, 0x00}),                    // EEPROM 255
      Ligne(0x0100, 0x00, {}),                              // no data: nothing to write
      Fin};
  std::string contenu;
  for (const std::string& l : lignes) contenu += l + "\r\n";  // a file saved with CR LF

  const hex::Verification v = hex::VerifierFichier(contenu);

  ASSERT_FALSE(v.refus) << v.refus->ligne << ": " << v.refus->raison;
  EXPECT_EQ(v.enregistrements, lignes);
}

TEST(VerificationHex, AcceptsExactly2000Records) {
  const hex::Verification v = hex::VerifierFichier(FichierDe(1999));
  ASSERT_FALSE(v.refus) << v.refus->raison;
  EXPECT_EQ(v.enregistrements.size(), 2000u);
}

struct CasRefus {
  const char* nom;
  std::string contenu;
  std::size_t ligne;
  std::string raison;  // a part of the message that names the fault
};
void PrintTo(const CasRefus& cas, std::ostream* os) { *os << cas.nom; }

std::vector<CasRefus> CasRefuses() {
  const std::string ok = Ligne(0x0060, 0x00, Huit);
  std::string sansDeuxPoints = ok;
  sansDeuxPoints[0] = ';';
  std::string chiffreG = ok;
  chiffreG[12] = 'G';
  return {
      {"BadChecksum", Fichier({ok, ":0220000012309D", Fin}), 2, "bad checksum 0x9D, expected 0x9C"},
      {"Lowercase", Fichier({EnMinuscules(Ligne(0x0060, 0x00, {0x0A, 0x30})), Fin}), 1,
       "lowercase hex digit 'a' at column 11"},
      {"NotHex", Fichier({chiffreG, Fin}), 1, "not a hex digit: 'G' at column 13"},
      {"NoColon", Fichier({ok, sansDeuxPoints, Fin}), 2, "does not start with ':'"},
      {"CountTooLarge", Fichier({Brut(0x03, 0x0060, 0x00, {0x00, 0x30}), Fin}), 1,
       "byte count 3 disagrees with the record's 2 data bytes"},
      {"CountTooSmall", Fichier({Brut(0x01, 0x0060, 0x00, {0x00, 0x30}), Fin}), 1,
       "byte count 1 disagrees"},
      {"LongerThanSlot", Fichier({Ligne(0x0060, 0x00, std::vector<unsigned>(22, 0x00)), Fin}), 1,
       "55 characters long, a slot holds 54"},
      {"TooShort", Fichier({":000000", Fin}), 1, "too short"},
      {"OddDigits", Fichier({ok + "0", Fin}), 1, "odd number of hex digits"},
      {"ExtendedAddress", Fichier({":020000040000FA", ok, Fin}), 1, "record type 0x04 not accepted"},
      {"SegmentAddress", Fichier({":020000020000FC", Fin}), 1, "record type 0x02 not accepted"},
      {"Word47", Fichier({Ligne(0x005E, 0x00, {0x00, 0x30}), Fin}), 1, "data at word 47: the device never writes"},
      {"RowFromBelow48", Fichier({Ligne(0x0050, 0x00, Huit), Fin}), 1, "data at word 40"},
      {"PastWord8191", Fichier({Ligne(0x3FFC, 0x00, {0, 0, 0, 0, 0, 0}), Fin}), 1, "data runs to word 8192, past the last program word 8191"},
      {"Word8192", Fichier({Ligne(0x4000, 0x00, {0x00, 0x30}), Fin}), 1, "data at word 8192: words 8192 to 8447"},
      {"Word8447", Fichier({Ligne(0x41FE, 0x00, {0x00, 0x30}), Fin}), 1, "data at word 8447"},
      {"Over14Bits", Fichier({Ligne(0x0060, 0x00, {0x00, 0x40}), Fin}), 1, "word 0x4000 at word 48 does not fit"},
      {"EepromAbove255", Fichier({ok, Ligne(0x43F4, 0x00, Huit), Fin}), 2, "EEPROM address 257 above 255"},
      {"EepromHighByte", Fichier({Ligne(0x4200, 0x00, {0x12, 0x00, 0x34, 0x01}), Fin}), 1,
       "EEPROM byte at address 1 has a high byte 0x01"},
      {"OddByteCount", Fichier({Ligne(0x0060, 0x00, std::vector<unsigned>(15, 0x00)), Fin}), 1,
       "odd byte count 15"},
      {"OddAddress", Fichier({Ligne(0x0061, 0x00, {0x00, 0x30}), Fin}), 1, "odd address 0x0061"},
      {"NoEndOfFile", Fichier({ok, ok}), 2, "no end-of-file record"},
      {"EndOfFileNotLast", Fichier({ok, Fin, ok}), 3, "record after the end-of-file record"},
      {"EndOfFileWithData", Fichier({Ligne(0x0000, 0x01, {0x00, 0x00})}), 1, "end-of-file record carries data"},
      {"EmptyLine", Fichier({ok, "", Fin}), 2, "empty line"},
      {"EmptyFile", "", 1, "empty file"},
      {"MoreThan2000", FichierDe(2000), 2001, "more than 2000 records"},
  };
}

class Refus : public testing::TestWithParam<CasRefus> {};

TEST_P(Refus, NamesTheLineAndTheReason) {
  const hex::Verification v = hex::VerifierFichier(GetParam().contenu);

  ASSERT_TRUE(v.refus);
  EXPECT_EQ(v.refus->ligne, GetParam().ligne);
  EXPECT_NE(v.refus->raison.find(GetParam().raison), std::string::npos) << v.refus->raison;
  EXPECT_TRUE(v.enregistrements.empty());
}

INSTANTIATE_TEST_SUITE_P(VerificationHex, Refus, testing::ValuesIn(CasRefuses()),
                         [](const testing::TestParamInfo<CasRefus>& cas) { return cas.param.nom; });

// The tool itself, as the build runs it.
class OutilHex2Rows : public testing::Test {
 protected:
  void SetUp() override {
    dossier = std::filesystem::path(testing::TempDir()) /
              ("zt-hex2rows-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dossier);
  }
  void TearDown() override { std::filesystem::remove_all(dossier); }

  static void Ecrire(const std::filesystem::path& chemin, const std::string& contenu) {
    std::ofstream(chemin, std::ios::binary) << contenu;
  }
  static std::string Lire(const std::filesystem::path& chemin) {
    std::ifstream fichier(chemin, std::ios::binary);
    return {std::istreambuf_iterator<char>(fichier), std::istreambuf_iterator<char>()};
  }
  int Lancer(const std::filesystem::path& hex, const std::filesystem::path& sortie) {
    const std::string commande = std::string("\"") + ZT_HEX2ROWS + "\" \"" + hex.string() + "\" \"" +
                                 sortie.string() + "\" 2> \"" + (dossier / "stderr").string() + "\"";
    return std::system(commande.c_str());
  }

  std::filesystem::path dossier;
};

TEST_F(OutilHex2Rows, StopsTheBuildOnABadRowAndKeepsTheOldOutput) {
  const auto hex = dossier / "bad.hex";
  const auto sortie = dossier / "Image.cpp";
  Ecrire(hex, Fichier({":0220000012309C", ":0220000012309D", Fin}));
  Ecrire(sortie, "previous\n");

  EXPECT_NE(Lancer(hex, sortie), 0);
  EXPECT_EQ(Lire(dossier / "stderr"), hex.string() + ":2: bad checksum 0x9D, expected 0x9C\n");
  EXPECT_EQ(Lire(sortie), "previous\n");
}

}  // namespace
