// The simulated boot loader, alone and behind the fake serial back end: its
// answers byte by byte, the rules it checks, its faults, its memory, its report.
//
// A case is written as the wire would show it, "TX 80 RX 81 TX 87 RX '0' TX 84
// RX '1' TX 84": the TX bytes are fed to the device one character time apart,
// and the device's answers after each one must be exactly the RX bytes that
// follow it. Bytes that are hex digits are written as the character, quoted.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/os/fake/FakeOs.h"
#include "sim/AppareilFake.h"
#include "sim/Chargeur.h"

namespace {

constexpr std::uint64_t kCar = 1146;

std::string Octet(std::uint8_t b) {
  if (std::isdigit(b) || (b >= 'A' && b <= 'F') || (b >= 'a' && b <= 'f'))
    return std::string("'") + char(b) + "'";
  char hexa[3];
  std::snprintf(hexa, sizeof hexa, "%02X", b);
  return hexa;
}

std::uint8_t LireOctet(const std::string& mot) {
  if (mot.size() == 3 && mot[0] == '\'') return static_cast<std::uint8_t>(mot[1]);
  return static_cast<std::uint8_t>(std::stoul(mot, nullptr, 16));
}

// Feeds the TX bytes of `script` to `c` and gives the wire it makes.
std::string Jouer(sim::Chargeur& c, const std::string& script, std::uint64_t& us) {
  std::istringstream mots(script);
  std::string sens, mot, trace;
  while (mots >> sens >> mot) {
    if (sens != "TX") continue;
    us += kCar;
    c.Recevoir(LireOctet(mot), us);
    trace += (trace.empty() ? "TX " : " TX ") + mot;
    while (auto e = c.Prochain()) {
      trace += " RX " + Octet(e->octet);
      c.Retirer();
    }
  }
  return trace;
}

std::string Jouer(sim::Chargeur& c, const std::string& script) {
  std::uint64_t us = 0;
  return Jouer(c, script, us);
}

std::string Paire(const char* sens, std::uint8_t v) {
  char texte[32];
  std::snprintf(texte, sizeof texte, "%s '%X' %s '%X'", sens, v >> 4, sens, v & 0xF);
  return texte;
}

// A program-word write as the host sends it, scrambled or not.
std::string Mot(std::uint16_t adresse, std::uint16_t donnee, bool masquerAdresse = true,
                bool masquerDonnee = true) {
  const std::uint8_t ah = adresse >> 8, al = adresse & 0xFF, dh = donnee >> 8, dl = donnee & 0xFF;
  const std::uint8_t mh = 0x4D, mb = 0xA6;
  return "TX 8D " + Paire("TX", masquerAdresse ? ah ^ mh : ah) + " " +
         Paire("TX", masquerAdresse ? al ^ mb : al) + " " +
         Paire("TX", masquerDonnee ? dh ^ mh : dh) + " " +
         Paire("TX", masquerDonnee ? dl ^ mb : dl);
}

// A received pair, acknowledged digit by digit.
std::string Recue(std::uint8_t v) {
  char texte[48];
  std::snprintf(texte, sizeof texte, "RX '%X' TX 84 RX '%X' TX 84", v >> 4, v & 0xF);
  return texte;
}

const std::string kSession = "TX 80 RX 81 ";
const std::string kDeverrouille = kSession + "TX 83 RX 84 ";
const std::string kProgrammation = kDeverrouille + "TX 90 RX 84 ";

std::string Violations(const sim::Chargeur& c) {
  std::string texte;
  for (const auto& v : c.LeRapport().violations) texte += v + "\n";
  return texte;
}

// ---- Answers and checks -----------------------------------------------------

struct Cas {
  const char* nom;
  std::string wire;
  const char* violation;  // part of the one violation expected; nullptr: none
};

TEST(Chargeur, AnswersAndChecksTheHostAsTheWireShows) {
  const Cas cas[] = {
      {"the poll opens the session", "TX 80 RX 81", nullptr},
      {"a poll in a session is answered again", kSession + "TX 80 RX 81", nullptr},
      {"the end of session needs no session", "TX 04 RX 84", nullptr},
      {"model code, each digit acknowledged",
       kSession + "TX 86 " + Recue('K') + " " + Recue('0') + " " + Recue('2'), nullptr},
      {"boot-loader version", kSession + "TX 87 " + Recue(1), nullptr},
      {"EEPROM read of 245", kSession + "TX 89 TX 'F' TX '5' " + Recue(1), nullptr},
      {"EEPROM write, read back",
       kSession + "TX 8B TX 'F' TX '6' TX '0' TX '2' RX 84 TX 89 TX 'F' TX '6' " + Recue(2),
       nullptr},
      {"unlock, program, write a word, start", kProgrammation + Mot(48, 0x3FFF) + " RX 84 TX 91",
       nullptr},
      {"unlock again from programming", kProgrammation + "TX 83 RX 84 TX 90 RX 84", nullptr},
      {"a session ends with 0x04", kSession + "TX 04 RX 84 TX 87", "0x87 without a session"},
      {"unlock before the poll", "TX 83", "0x83 without a session"},
      {"a read before the poll", "TX 89 TX 'F' TX '5'", "0x89 without a session"},
      {"programming while not unlocked", kSession + "TX 90", "0x90 outside unlocked mode (mode 0)"},
      {"programming twice", kProgrammation + "TX 90", "0x90 outside unlocked mode (mode 3)"},
      {"a word write while unlocked", kDeverrouille + Mot(48, 1),
       "0x8D outside programming mode (mode 2)"},
      {"start while unlocked", kDeverrouille + "TX 91", "0x91 outside programming mode (mode 2)"},
      {"a lower-case digit", kSession + "TX 89 TX 'f'", "non-hex character in a parameter of 0x89"},
      {"a digit acknowledged with a digit", kSession + "TX 87 RX '0' TX 30",
       "expected ACQUIT after the high digit of pair 1 of 1"},
      {"the low digit left unacknowledged, then a poll",
       kSession + "TX 87 RX '0' TX 84 RX '1' TX 80 RX 81", "expected ACQUIT after the low digit"},
      {"a command cut short resynchronises", kSession + "TX 89 TX 'F' TX 80 RX 81",
       "0x89 cut short after 1 of 2 digits"},
      {"an unknown command", kSession + "TX 8F", "unknown command"},
      {"a stray digit", kSession + "TX 'A'", "unexpected byte outside a command"},
      {"an acknowledgement nobody asked for", kSession + "TX 84", "ACQUIT outside an answer"},
      {"the address sent unscrambled", kProgrammation + Mot(48, 1, false) + " RX 84",
       "word write at address 19862, outside 48..8191"},
      {"the data sent unscrambled", kProgrammation + Mot(48, 0x3FFF, true, false) + " RX 84",
       "word write of 0x7259 at address 48: more than 14 bits"},
      {"an address in the boot loader", kProgrammation + Mot(47, 1) + " RX 84",
       "address 47, outside"},
      {"the last address", kProgrammation + Mot(8191, 1) + " RX 84", nullptr},
  };
  for (const Cas& c : cas) {
    sim::Chargeur chargeur;
    EXPECT_EQ(Jouer(chargeur, c.wire), c.wire) << c.nom;
    const auto& violations = chargeur.LeRapport().violations;
    if (!c.violation) {
      EXPECT_TRUE(violations.empty()) << c.nom << ": " << Violations(chargeur);
      continue;
    }
    ASSERT_EQ(violations.size(), 1u) << c.nom << ": " << Violations(chargeur);
    EXPECT_NE(violations[0].find(c.violation), std::string::npos) << c.nom << ": " << violations[0];
  }
}

TEST(Chargeur, TracksSessionAndModeAndStoresOnlyGoodWords) {
  sim::Chargeur c;
  Jouer(c, kProgrammation + Mot(48, 0x1234) + " " + Mot(100, 0x3FFF) + " " + Mot(48, 0x0ABC) + " " +
               Mot(0, 1, false));
  EXPECT_TRUE(c.SessionOuverte());
  EXPECT_EQ(c.Mode(), 3);
  const std::map<std::uint32_t, std::uint16_t> attendus = {{48, 0x0ABC}, {100, 0x3FFF}};
  EXPECT_EQ(c.LeRapport().mots, attendus);
  EXPECT_EQ(c.LeRapport().commandes.at("0x8D"), 4);
  EXPECT_EQ(c.LeRapport().ecrituresMot, 4);
  Jouer(c, "TX 04");
  EXPECT_FALSE(c.SessionOuverte());
  EXPECT_EQ(c.Mode(), 0);
}

TEST(Chargeur, WithoutAddressMaskTheAddressGoesClear) {
  sim::Options o;
  o.masquerAdresse = false;
  sim::Chargeur c(o);
  Jouer(c, kProgrammation + Mot(48, 0x2001, false) + " RX 84");
  EXPECT_EQ(c.LeRapport().mots.at(48), 0x2001);
  EXPECT_TRUE(c.LeRapport().violations.empty()) << Violations(c);
}

TEST(Chargeur, SendsEachDigitOnlyAfterTheAcknowledgementAtItsTime) {
  sim::Chargeur c;
  c.Recevoir(0x80, 1000);
  c.Retirer();
  c.Recevoir(0x86, 2000);
  ASSERT_TRUE(c.Prochain());
  EXPECT_EQ(c.Prochain()->octet, '4');
  EXPECT_EQ(c.Prochain()->pretUs, 2000u);
  c.Retirer();
  EXPECT_FALSE(c.Prochain());  // the low digit waits for the host
  EXPECT_EQ(c.EnCours(), "0x86: waiting for ACQUIT of the high digit of pair 1 of 3");
  c.Recevoir(0x84, 5000);
  ASSERT_TRUE(c.Prochain());
  EXPECT_EQ(c.Prochain()->octet, 'B');
  EXPECT_EQ(c.Prochain()->pretUs, 5000u);
}

TEST(Chargeur, PurgeDropsTheAnswersNotTaken) {
  sim::Chargeur c;
  c.Recevoir(0x80, 1000);
  c.Purger();
  EXPECT_FALSE(c.Prochain());
  EXPECT_TRUE(c.SessionOuverte());
}

// ---- Faults -------------------------------------------------------------------

struct CasDefaut {
  const char* nom;
  std::function<void(sim::Options&)> regler;
  std::string wire;
  const char* violation;
};

TEST(Chargeur, FaultsShowOnTheWire) {
  const CasDefaut cas[] = {
      {"silent", [](sim::Options& o) { o.muet = true; }, "TX 80 TX 04 TX 80", nullptr},
      {"ready from the third poll", [](sim::Options& o) { o.pretApresAppels = 3; },
       "TX 80 TX 80 TX 80 RX 81 TX 80 RX 81", nullptr},
      {"asks for the end first", [](sim::Options& o) { o.demandeFin = true; },
       "TX 80 RX 85 TX 04 RX 84 TX 80 RX 81", nullptr},
      {"wrong acknowledgement of the second write",
       [](sim::Options& o) { o.mauvaisAcquitEcriture = 2; },
       kProgrammation + Mot(48, 1) + " RX 84 " + Mot(49, 2) + " RX 00 " + Mot(49, 2) + " RX 84",
       nullptr},
      {"a lost command byte", [](sim::Options& o) { o.octetPerdu = 2; },
       "TX 80 RX 81 TX 87 TX 80 RX 81", nullptr},
      {"a lost digit: the next command cuts the write short",
       [](sim::Options& o) { o.octetPerdu = 10; },
       kProgrammation + Mot(48, 1) + " " + Mot(48, 1) + " RX 84",
       "0x8D cut short after 7 of 8 digits"},
      {"a corrupted command byte", [](sim::Options& o) { o.octetCorrompu = 2; },
       "TX 80 RX 81 TX 87", "(0x78) at 2292 us: unexpected byte outside a command"},
      {"a corrupted acknowledgement", [](sim::Options& o) { o.octetCorrompu = 3; },
       "TX 80 RX 81 TX 87 RX '0' TX 84", "expected ACQUIT after the high digit"},
      {"hangs up at the second write", [](sim::Options& o) { o.raccrocherEcriture = 2; },
       kProgrammation + Mot(48, 1) + " RX 84 " + Mot(49, 2) + " TX 80 TX 04", nullptr},
  };
  for (const CasDefaut& c : cas) {
    sim::Options options;
    c.regler(options);
    sim::Chargeur chargeur(options);
    EXPECT_EQ(Jouer(chargeur, c.wire), c.wire) << c.nom;
    const auto& violations = chargeur.LeRapport().violations;
    if (!c.violation) {
      EXPECT_TRUE(violations.empty()) << c.nom << ": " << Violations(chargeur);
    } else {
      ASSERT_FALSE(violations.empty()) << c.nom;
      EXPECT_NE(violations[0].find(c.violation), std::string::npos)
          << c.nom << ": " << violations[0];
    }
  }
}

TEST(Chargeur, AWrongAcknowledgementDoesNotStoreTheWord) {
  sim::Options o;
  o.mauvaisAcquitEcriture = 2;
  sim::Chargeur c(o);
  Jouer(c, kProgrammation + Mot(48, 1) + " " + Mot(49, 2) + " " + Mot(50, 3));
  const std::map<std::uint32_t, std::uint16_t> attendus = {{48, 1}, {50, 3}};
  EXPECT_EQ(c.LeRapport().mots, attendus);
}

TEST(Chargeur, HangingUpStopsEverythingFromTheWriteOn) {
  sim::Options o;
  o.raccrocherEcriture = 1;
  sim::Chargeur c(o);
  std::uint64_t us = 0;
  Jouer(c, kProgrammation + Mot(48, 1), us);
  EXPECT_TRUE(c.Raccroche());
  EXPECT_EQ(c.RaccrocheUs(), us);
  EXPECT_TRUE(c.LeRapport().mots.empty());
}

TEST(Chargeur, ASlowFlashDelaysTheWriteAcknowledgementOnly) {
  sim::Options o;
  o.flashLentMs = 5;
  sim::Chargeur c(o);
  std::uint64_t us = 0;
  Jouer(c, kProgrammation, us);
  std::istringstream mots(Mot(48, 1));
  std::string sens, mot;
  while (mots >> sens >> mot) c.Recevoir(LireOctet(mot), us += kCar);
  ASSERT_TRUE(c.Prochain());
  EXPECT_EQ(c.Prochain()->octet, 0x84);
  EXPECT_EQ(c.Prochain()->pretUs, us + 5000);
}

// ---- Memory and report ----------------------------------------------------------

TEST(Chargeur, EepromHoldsSerialNumberLittleEndianAndVersion) {
  sim::Options o;
  o.numeroSerie = 200000000;
  o.versionMajeure = 1;
  o.versionMineure = 0;
  sim::Chargeur c(o);
  const auto& e = c.LeRapport().eeprom;
  EXPECT_EQ(e[241], 0x00);
  EXPECT_EQ(e[242], 0xC2);
  EXPECT_EQ(e[243], 0xEB);
  EXPECT_EQ(e[244], 0x0B);
  EXPECT_EQ(e[245], 1);
  EXPECT_EQ(e[246], 0);
  for (int a : {0, 100, 240, 247, 255}) EXPECT_EQ(e[a], 0xFF) << a;
  EXPECT_EQ(Jouer(c, kSession + "TX 89 TX 'F' TX '2' " + Recue(0xC2)),
            kSession + "TX 89 TX 'F' TX '2' " + Recue(0xC2));
}

// A small JSON reader that only says whether the text is well formed.
class Json {
 public:
  explicit Json(const std::string& t) : t_(t) {}
  bool Valide() { return Valeur() && (Blancs(), i_ == t_.size()); }

 private:
  void Blancs() {
    while (i_ < t_.size() && std::isspace(static_cast<unsigned char>(t_[i_]))) ++i_;
  }
  bool Lit(char c) { return Blancs(), i_ < t_.size() && t_[i_] == c ? (++i_, true) : false; }
  bool Texte() {
    if (!Lit('"')) return false;
    while (i_ < t_.size() && t_[i_] != '"') {
      if (static_cast<unsigned char>(t_[i_]) < 0x20) return false;
      i_ += t_[i_] == '\\' ? 2 : 1;
    }
    return i_++ < t_.size();
  }
  bool Suite(char fin, const std::function<bool()>& element) {
    if (Lit(fin)) return true;
    do {
      if (!element()) return false;
    } while (Lit(','));
    return Lit(fin);
  }
  bool Valeur() {
    Blancs();
    if (i_ >= t_.size()) return false;
    if (Lit('{')) return Suite('}', [this] { return Texte() && Lit(':') && Valeur(); });
    if (Lit('[')) return Suite(']', [this] { return Valeur(); });
    if (t_[i_] == '"') return Texte();
    for (const char* mot : {"true", "false", "null"})
      if (t_.compare(i_, std::strlen(mot), mot) == 0) return i_ += std::strlen(mot), true;
    const std::size_t debut = i_;
    while (i_ < t_.size() && (std::isdigit(static_cast<unsigned char>(t_[i_])) || t_[i_] == '-'))
      ++i_;
    return i_ > debut;
  }
  const std::string& t_;
  std::size_t i_ = 0;
};

TEST(Chargeur, ReportsWordsEepromCommandsAndViolationsAsJson) {
  sim::Options o;
  o.codeModele = "K\"\x01";
  sim::Chargeur c(o);
  Jouer(c, "TX 83 " + kProgrammation + Mot(48, 0x3FFF) +
               " RX 84 TX 8B TX 'F' TX '6' TX '0' TX '2' RX 84");
  c.Annexer("ligne", "{\"baud\": 9600}");
  const std::string json = c.RapportJson();
  EXPECT_TRUE(Json(json).Valide()) << json;
  for (const char* attendu :
       {"\"modele\": \"K\\\"\\u0001\"",
        "\"mots\": [\n    {\"adresse\": 48, \"valeur\": 16383}\n  ]", "\"nbMots\": 1",
        "\"eeprom\": {\"241\": 78, \"242\": 35, \"243\": 168, \"244\": 12, \"245\": 1, \"246\": 2}",
        "\"numeroSerie\": 212345678", "\"0x8D\": 1", "\"0x80\": 1", "\"0x83\": 2",
        "\"nbViolations\": 1",
        "\"byte 1 (0x83) at 1146 us: 0x83 without a session (the poll was not answered)\"",
        "\"session\": true", "\"mode\": 3", "\"enCours\": null", "\"ligne\": {\"baud\": 9600}"})
    EXPECT_NE(json.find(attendu), std::string::npos) << attendu << "\n" << json;
}

// ---- Behind the fake serial back end ----------------------------------------------

class AppareilFakeTest : public ::testing::Test {
 protected:
  explicit AppareilFakeTest(sim::Options o = {}) : chargeur(o), appareil(chargeur) {
    fake.Plug("\\\\.\\COM1", appareil);
    port = fake.CreateFileA("\\\\.\\COM1", os::GENERIC_READ | os::GENERIC_WRITE, 0, nullptr,
                            os::OPEN_EXISTING, 0, 0);
    const os::COMMTIMEOUTS delais{500, 100, 1000, 100, 1000};
    fake.SetCommTimeouts(port, &delais);
    fake.ClearTrace();
  }
  bool Ecrire(std::uint8_t b) {
    os::DWORD n = 0;
    return fake.WriteFile(port, &b, 1, &n, nullptr) && n == 1;
  }
  int Lire() {  // the byte, -1 for none, -2 for a failure
    std::uint8_t b = 0;
    os::DWORD n = 0;
    if (!fake.ReadFile(port, &b, 1, &n, nullptr)) return -2;
    return n ? b : -1;
  }
  std::uint64_t Us() { return fake.Clock().NowUs(); }

  os::FakeOs fake;
  sim::Chargeur chargeur;
  sim::AppareilFake appareil;
  os::HANDLE port = os::INVALID_HANDLE_VALUE;
};

TEST_F(AppareilFakeTest, APollIsAnsweredTwoCharacterTimesLater) {
  ASSERT_TRUE(Ecrire(0x80));
  EXPECT_EQ(Lire(), 0x81);
  EXPECT_EQ(fake.Wire(), "TX 80 RX 81");
  EXPECT_EQ(Us(), 2 * kCar);
  EXPECT_TRUE(chargeur.SessionOuverte());
}

TEST_F(AppareilFakeTest, AReceivedPairGoesDigitByDigit) {
  Ecrire(0x80);
  Lire();
  Ecrire(0x87);
  EXPECT_EQ(Lire(), '0');
  EXPECT_EQ(Lire(), -1);  // nothing more until the host acknowledges
  Ecrire(0x84);
  EXPECT_EQ(Lire(), '1');
  Ecrire(0x84);
  EXPECT_EQ(fake.Wire(), "TX 80 RX 81 TX 87 RX 30 TX 84 RX 31 TX 84");
  EXPECT_TRUE(chargeur.LeRapport().violations.empty());
}

TEST_F(AppareilFakeTest, PurgeCommDropsTheAnswerNotRead) {
  Ecrire(0x80);
  fake.PurgeComm(port, os::PURGE_RXCLEAR | os::PURGE_TXCLEAR);
  EXPECT_EQ(Lire(), -1);
}

struct AppareilLent : AppareilFakeTest {
  static sim::Options Lent() {
    sim::Options o;
    o.flashLentMs = 20;
    o.raccrocherEcriture = 2;
    return o;
  }
  AppareilLent() : AppareilFakeTest(Lent()) {}
  void Programmer() {
    for (std::uint8_t b : {0x80, 0x83, 0x90}) {
      Ecrire(b);
      ASSERT_NE(Lire(), -1);
    }
  }
  void EcrireMot() {
    std::istringstream mots(Mot(48, 1));
    std::string sens, mot;
    while (mots >> sens >> mot) Ecrire(LireOctet(mot));
  }
};

TEST_F(AppareilLent, ASlowFlashAndAHangUpReachTheHost) {
  Programmer();
  EcrireMot();
  const std::uint64_t recu = Us() + 9 * kCar;  // the nine bytes are still on the line
  EXPECT_EQ(Lire(), 0x84);
  EXPECT_EQ(Us(), recu + 20'000 + kCar);
  EcrireMot();  // the second write: the device hangs up
  EXPECT_EQ(Lire(), -2);
  EXPECT_EQ(fake.GetLastError(), os::ERROR_DEVICE_NOT_CONNECTED);
  EXPECT_FALSE(Ecrire(0x80));
  EXPECT_EQ(chargeur.LeRapport().mots.size(), 1u);
}

}  // namespace
