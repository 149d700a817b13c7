// The boot-loader commands of CK02 against a scripted device: each
// exchange byte by byte, the session and mode rules, the retry.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "link/Classek02.h"
#include "platform/os/fake/FakeOs.h"

namespace {

const std::string kCom2 = "\\\\.\\COM2";

std::vector<std::uint8_t> Paires(std::initializer_list<int> valeurs) {
  std::vector<std::uint8_t> octets;
  for (int v : valeurs) {
    for (int d : {v / 16, v % 16}) octets.push_back(static_cast<std::uint8_t>(d < 10 ? '0' + d : 'A' + d - 10));
  }
  return octets;
}

class ProtocoleTest : public ::testing::Test {
 protected:
  ProtocoleTest() { fake.Plug(kCom2, appareil); }

  // A fresh port in the given session state, the trace cleared.
  void Etat(int synchronise, int mode) {
    appareil.Queue({0x00});
    liaison.Fermer();
    appareil.Purge();
    if (synchronise) {
      appareil.Queue({REP_PRET});
      ASSERT_EQ(liaison.Connecter(1), 0);
    } else {
      ASSERT_EQ(liaison.Ouvrir(), 0);
    }
    if (mode >= 2) {
      appareil.Queue({ACQUIT});
      ASSERT_EQ(liaison.Deverrouiller(), 0);
    }
    if (mode == 3) {
      appareil.Queue({ACQUIT});
      ASSERT_EQ(liaison.DemarrerProgrammation(), 0);
    }
    fake.ClearTrace();
  }
  std::uint64_t Ms() { return fake.Clock().NowUs() / 1000; }

  os::FakeOs fake;
  os::ScriptedDevice appareil;
  CK02 liaison{fake};
};

// ---- Connecter ---------------------------------------------------------------

TEST_F(ProtocoleTest, ConnecterPollsUntilTheBootLoaderIsReady) {
  struct Cas {
    const char* nom;
    std::vector<std::uint8_t> reponses;
    std::int32_t resultat;
    const char* fil;
    int synchronise;
  };
  const std::vector<Cas> cas = {
      {"ready at once", {REP_PRET}, 0, "TX 80 RX 81", 1},
      {"silent", {}, ERR_PAS_DE_REPONSE, "TX 80", 0},
      {"other byte ignored", {ACQUIT, REP_PRET}, 0, "TX 80 RX 84 TX 80 RX 81", 1},
      {"end requested", {REP_DEMANDE_FIN, 0x00, REP_PRET}, 0,
       "TX 80 RX 85 TX 04 RX 00 TX 80 RX 81", 1},
  };
  for (const Cas& c : cas) {
    os::FakeOs f;
    os::ScriptedDevice d;
    f.Plug(kCom2, d);
    CK02 l(f);
    d.Queue(c.reponses);
    ASSERT_EQ(l.Ouvrir(), 0);
    f.ClearTrace();
    EXPECT_EQ(l.Connecter(1), c.resultat) << c.nom;
    EXPECT_EQ(f.Wire(), c.fil) << c.nom;
    EXPECT_EQ(l.LeSynchronise(), c.synchronise) << c.nom;
    EXPECT_EQ(l.DerniereErreur(), c.resultat) << c.nom;
  }
}

TEST_F(ProtocoleTest, ASilentDeviceCostsOneAttemptOfAboutOnePointOneSeconds) {
  ASSERT_EQ(liaison.Ouvrir(), 0);
  fake.ClearTrace();
  const auto debut = Ms();
  EXPECT_EQ(liaison.Connecter(1), ERR_PAS_DE_REPONSE);
  EXPECT_EQ(Ms() - debut, 10u + 1100u);
  EXPECT_EQ(fake.Calls(), "PurgeComm(0F) Sleep(10)");
}

TEST_F(ProtocoleTest, ConnecterOpensThePortFirstAndReportsWhyItCannot) {
  appareil.Queue({REP_PRET});
  EXPECT_EQ(liaison.Connecter(1), 0);
  EXPECT_TRUE(liaison.PortOuvert());

  CK02 sansPort(fake);
  sansPort.ChoisirPort(6);
  EXPECT_EQ(sansPort.Connecter(1), 2);
  EXPECT_EQ(sansPort.LeSynchronise(), 0);
}

// The deadline wraps past zero after 49.7 days of uptime: polling must go on
// for its whole second, not stop after the first attempt.
TEST_F(ProtocoleTest, ConnecterKeepsItsDeadlineAcrossTheTickCountWrap) {
  ASSERT_EQ(liaison.Ouvrir(), 0);
  fake.Clock().SetTicks(0xFFFFFFFFu - 300);
  int appels = 0;
  appareil.OnReceive([&](std::uint8_t octet) -> std::vector<std::uint8_t> {
    if (octet != CMD_APPEL) return {};
    return {++appels < 50 ? ACQUIT : REP_PRET};
  });
  EXPECT_EQ(liaison.Connecter(1), 0);
  EXPECT_EQ(appels, 50);
  EXPECT_EQ(liaison.LeSynchronise(), 1);
}

TEST_F(ProtocoleTest, ConnecterGivesUpAtItsDeadlineWhenTheAnswersAreWrong) {
  ASSERT_EQ(liaison.Ouvrir(), 0);
  appareil.OnReceive([](std::uint8_t) -> std::vector<std::uint8_t> { return {ACQUIT}; });
  const auto debut = Ms();
  EXPECT_EQ(liaison.Connecter(1), ERR_PAS_DE_REPONSE);
  EXPECT_GE(Ms() - debut, 1000u);
  EXPECT_LT(Ms() - debut, 1020u);
}

TEST_F(ProtocoleTest, ConnecterZeroMakesASingleAttempt) {
  ASSERT_EQ(liaison.Ouvrir(), 0);
  appareil.OnReceive([](std::uint8_t) -> std::vector<std::uint8_t> { return {ACQUIT}; });
  fake.ClearTrace();
  EXPECT_EQ(liaison.Connecter(0), ERR_PAS_DE_REPONSE);
  EXPECT_EQ(fake.Wire(), "TX 80 RX 84");
  appareil.OnReceive([](std::uint8_t) -> std::vector<std::uint8_t> { return {REP_PRET}; });
  EXPECT_EQ(liaison.Connecter(0), 0);
}

TEST_F(ProtocoleTest, AHangUpEndsThePollingAtOnceWithItsCode) {
  ASSERT_EQ(liaison.Ouvrir(), 0);
  appareil.HangUpAt(fake.Clock().NowUs() + 500'000);
  const auto debut = Ms();
  EXPECT_EQ(liaison.Connecter(5), static_cast<std::int32_t>(os::ERROR_DEVICE_NOT_CONNECTED));
  EXPECT_EQ(Ms() - debut, 500u);  // at the hang-up, not at the end of the read time-out
  EXPECT_EQ(liaison.LeSynchronise(), 0);
}

TEST_F(ProtocoleTest, ConnecterKeepsTheModeOfAnEarlierSession) {
  Etat(1, 3);
  appareil.Queue({REP_PRET});
  EXPECT_EQ(liaison.Connecter(1), 0);
  EXPECT_EQ(liaison.LeModeSession(), 3);
  appareil.OnReceive([](std::uint8_t) -> std::vector<std::uint8_t> { return {}; });
  EXPECT_EQ(liaison.Connecter(1), ERR_PAS_DE_REPONSE);
  EXPECT_EQ(liaison.LeSynchronise(), 0);
  EXPECT_EQ(liaison.LeModeSession(), 3);
  EXPECT_EQ(liaison.LancerApplication(), ERR_NON_SYNCHRONISE);
}

// ---- Session and mode rules --------------------------------------------------

TEST_F(ProtocoleTest, CommandsRefusedByTheStateSendNothing) {
  std::int32_t v = 0;
  std::uint32_t n = 0;
  char code[4];
  struct Cas {
    const char* nom;
    int synchronise;
    int mode;
    std::function<std::int32_t()> commande;
    std::int32_t attendu;
  };
  const std::vector<Cas> cas = {
      {"Deverrouiller", 0, 0, [&] { return liaison.Deverrouiller(); }, ERR_NON_SYNCHRONISE},
      {"LireCodeModele", 0, 0, [&] { return liaison.LireCodeModele(code); }, ERR_NON_SYNCHRONISE},
      {"VerifierModele", 0, 0, [&] { return liaison.VerifierModele(); }, ERR_NON_SYNCHRONISE},
      {"LireVersionChargeur", 0, 0, [&] { return liaison.LireVersionChargeur(v); },
       ERR_NON_SYNCHRONISE},
      {"LireOctetEeprom", 0, 0, [&] { return liaison.LireOctetEeprom(245, v); },
       ERR_NON_SYNCHRONISE},
      {"EcrireOctetEeprom", 0, 0, [&] { return liaison.EcrireOctetEeprom(245, 1); },
       ERR_NON_SYNCHRONISE},
      {"LireMotEeprom", 0, 0, [&] { return liaison.LireMotEeprom(241, v); }, ERR_NON_SYNCHRONISE},
      {"LireNumeroSerie", 0, 0, [&] { return liaison.LireNumeroSerie(n); }, ERR_NON_SYNCHRONISE},
      {"LireVersion", 0, 0, [&] { return liaison.LireVersion(v, v); }, ERR_NON_SYNCHRONISE},
      {"EcrireVersion", 0, 0, [&] { return liaison.EcrireVersion(1, 2); }, ERR_NON_SYNCHRONISE},
      {"DemarrerProgrammation", 0, 0, [&] { return liaison.DemarrerProgrammation(); },
       ERR_NON_SYNCHRONISE},
      {"EcrireMotProgramme", 0, 0, [&] { return liaison.EcrireMotProgramme(48, 1); },
       ERR_NON_SYNCHRONISE},
      {"LancerApplication", 0, 0, [&] { return liaison.LancerApplication(); },
       ERR_NON_SYNCHRONISE},
      {"RecevoirOctetHexa", 0, 0, [&] { return liaison.RecevoirOctetHexa(v); },
       ERR_NON_SYNCHRONISE},
      {"DemarrerProgrammation locked", 1, 0, [&] { return liaison.DemarrerProgrammation(); },
       ERR_NON_DEVERROUILLE},
      {"EcrireMotProgramme unlocked", 1, 2, [&] { return liaison.EcrireMotProgramme(48, 1); },
       ERR_HORS_PROGRAMMATION},
      {"LancerApplication unlocked", 1, 2, [&] { return liaison.LancerApplication(); },
       ERR_HORS_PROGRAMMATION},
      {"EcrireMotProgramme in session", 1, 0, [&] { return liaison.EcrireMotProgramme(48, 1); },
       ERR_HORS_PROGRAMMATION},
  };
  for (const Cas& c : cas) {
    Etat(c.synchronise, c.mode);
    EXPECT_EQ(c.commande(), c.attendu) << c.nom;
    EXPECT_EQ(fake.Wire(), "") << c.nom;
    EXPECT_EQ(liaison.LeModeSession(), c.mode) << c.nom;
  }
}


// ---- Exchanges -----------------------------------------------------------------

TEST_F(ProtocoleTest, EachCommandPutsItsBytesOnTheWire) {
  std::int32_t v = -1;
  std::int32_t w = -1;
  struct Cas {
    const char* nom;
    int mode;
    std::vector<std::uint8_t> reponses;
    std::function<std::int32_t()> commande;
    const char* fil;
    int modeApres;
  };
  const std::vector<Cas> cas = {
      {"Deverrouiller", 0, {ACQUIT}, [&] { return liaison.Deverrouiller(); }, "TX 83 RX 84", 2},
      {"DemarrerProgrammation", 2, {ACQUIT}, [&] { return liaison.DemarrerProgrammation(); },
       "TX 90 RX 84", 3},
      {"LireVersionChargeur", 0, Paires({1}), [&] { return liaison.LireVersionChargeur(v); },
       "TX 87 RX 30 TX 84 RX 31 TX 84", 0},
      {"LireOctetEeprom 245", 0, Paires({0x1F}), [&] { return liaison.LireOctetEeprom(245, v); },
       "TX 89 TX 46 TX 35 RX 31 TX 84 RX 46 TX 84", 0},
      {"EcrireOctetEeprom", 0, {ACQUIT}, [&] { return liaison.EcrireOctetEeprom(246, 2); },
       "TX 8B TX 46 TX 36 TX 30 TX 32 RX 84", 0},
      {"EcrireVersion", 2, {ACQUIT, ACQUIT}, [&] { return liaison.EcrireVersion(1, 2); },
       "TX 8B TX 46 TX 35 TX 30 TX 31 RX 84 TX 8B TX 46 TX 36 TX 30 TX 32 RX 84", 2},
      {"LireMotEeprom", 0, Paires({0x34, 0x12}), [&] { return liaison.LireMotEeprom(10, w); },
       "TX 89 TX 30 TX 41 RX 33 TX 84 RX 34 TX 84 TX 89 TX 30 TX 42 RX 31 TX 84 RX 32 TX 84", 0},
      // Word 0x1234 at 0x0030: address 00 30 ^ 4D A6 = 4D 96, data 12 34 ^ 4D A6 = 5F 92.
      {"EcrireMotProgramme", 3, {ACQUIT}, [&] { return liaison.EcrireMotProgramme(0x30, 0x1234); },
       "TX 8D TX 34 TX 44 TX 39 TX 36 TX 35 TX 46 TX 39 TX 32 RX 84", 3},
      {"LancerApplication", 3, {}, [&] { return liaison.LancerApplication(); }, "TX 91", 3},
  };
  for (const Cas& c : cas) {
    Etat(1, c.mode);
    appareil.Queue(c.reponses);
    EXPECT_EQ(c.commande(), 0) << c.nom;
    EXPECT_EQ(fake.Wire(), c.fil) << c.nom;
    EXPECT_EQ(liaison.LeModeSession(), c.modeApres) << c.nom;
    EXPECT_EQ(liaison.LeSynchronise(), 1) << c.nom;
  }
  EXPECT_EQ(w, 0x1234);
}

TEST_F(ProtocoleTest, AWrongAcknowledgementFailsAndKeepsTheMode) {
  struct Cas {
    const char* nom;
    int mode;
    std::function<std::int32_t()> commande;
  };
  const std::vector<Cas> cas = {
      {"Deverrouiller", 0, [&] { return liaison.Deverrouiller(); }},
      {"DemarrerProgrammation", 2, [&] { return liaison.DemarrerProgrammation(); }},
      {"EcrireOctetEeprom", 3, [&] { return liaison.EcrireOctetEeprom(1, 1); }},
  };
  for (const Cas& c : cas) {
    Etat(1, c.mode);
    appareil.Queue({0x55});
    EXPECT_EQ(c.commande(), ERR_ACQUITTEMENT) << c.nom;
    EXPECT_EQ(liaison.LeModeSession(), c.mode) << c.nom;
    EXPECT_EQ(liaison.LeSynchronise(), 1) << c.nom;
  }
}

TEST_F(ProtocoleTest, FinSessionEndsTheSessionOnlyWhenItsExchangeSucceeds) {
  Etat(1, 3);
  EXPECT_EQ(liaison.FinSession(), ERR_PAS_DE_REPONSE);
  EXPECT_EQ(liaison.LeSynchronise(), 1);
  EXPECT_EQ(liaison.LeModeSession(), 3);
  appareil.Queue({0x37});
  EXPECT_EQ(liaison.FinSession(), 0);
  EXPECT_EQ(fake.Wire(), "TX 04 TX 04 RX 37");
  EXPECT_EQ(liaison.LeSynchronise(), 0);
  EXPECT_EQ(liaison.LeModeSession(), 0);
}

TEST_F(ProtocoleTest, HexPairsTravelHighDigitFirst) {
  const std::vector<std::pair<int, const char*>> cas = {
      {0xF5, "TX 46 TX 35"}, {10, "TX 30 TX 41"}, {159, "TX 39 TX 46"}, {160, "TX 41 TX 30"},
      {0, "TX 30 TX 30"}, {255, "TX 46 TX 46"}};
  Etat(0, 0);
  for (const auto& [valeur, fil] : cas) {
    fake.ClearTrace();
    EXPECT_EQ(liaison.EnvoyerOctetHexa(valeur), 0);
    EXPECT_EQ(fake.Wire(), fil) << valeur;
  }
}

TEST(HexaVersOctet, DecodesUppercaseDigitsAndNothingElse) {
  const std::vector<std::tuple<char, char, std::int32_t>> cas = {
      {'F', '5', 245}, {'0', '0', 0}, {'9', 'F', 159}, {'A', '0', 160}, {'f', 'f', 799}};
  for (const auto& [haut, bas, valeur] : cas) {
    EXPECT_EQ(CK02::HexaVersOctet(haut, bas), valeur) << haut << bas;
  }
}

TEST_F(ProtocoleTest, ReceivingAPairStopsAtTheFirstSilence) {
  Etat(1, 0);
  std::int32_t v = 99;
  appareil.SendNow({'3'});
  EXPECT_EQ(liaison.RecevoirOctetHexa(v), ERR_PAS_DE_REPONSE);
  EXPECT_EQ(fake.Wire(), "RX 33 TX 84");
  EXPECT_EQ(v, 99);
}

TEST_F(ProtocoleTest, VerifierModeleComparesTheThreeCharactersExactly) {
  const std::vector<std::pair<std::vector<int>, std::int32_t>> cas = {
      {{'K', '0', '2'}, 0},
      {{'K', '0', '1'}, ERR_MAUVAIS_MODELE},
      {{'k', '0', '2'}, ERR_MAUVAIS_MODELE},
      {{0, '0', '2'}, ERR_MAUVAIS_MODELE},
      {{'K', '0', 0}, ERR_MAUVAIS_MODELE},
  };
  for (const auto& [code, attendu] : cas) {
    Etat(1, 0);
    appareil.Queue(Paires({code[0], code[1], code[2]}));
    EXPECT_EQ(liaison.VerifierModele(), attendu);
    EXPECT_EQ(liaison.DerniereErreur(), attendu);
  }
  Etat(1, 0);
  char code[4] = {'x', 'x', 'x', 'x'};
  appareil.Queue(Paires({'K', '0', '2'}));
  EXPECT_EQ(liaison.LireCodeModele(code), 0);
  EXPECT_STREQ(code, "K02");
}

TEST_F(ProtocoleTest, SerialNumberIsLittleEndianFrom241To244) {
  Etat(1, 0);
  std::uint32_t n = 0;
  appareil.Queue(Paires({0x00, 0xC2, 0xEB, 0x0B}));
  EXPECT_EQ(liaison.LireNumeroSerie(n), 0);
  EXPECT_EQ(n, 200000000u);
  const std::string fil = fake.Wire();
  for (const char* adresse : {"TX 46 TX 31", "TX 46 TX 32", "TX 46 TX 33", "TX 46 TX 34"}) {
    EXPECT_NE(fil.find(adresse), std::string::npos) << adresse;
  }

  Etat(1, 0);
  appareil.Queue(Paires({0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(liaison.LireNumeroSerie(n), 0);
  EXPECT_EQ(n, 0xFFFFFFFFu);
}

TEST_F(ProtocoleTest, LireVersionReads245Then246) {
  Etat(1, 0);
  std::int32_t majeure = 0;
  std::int32_t mineure = 0;
  appareil.Queue(Paires({1, 1}));
  EXPECT_EQ(liaison.LireVersion(majeure, mineure), 0);
  EXPECT_EQ(majeure, 1);
  EXPECT_EQ(mineure, 1);
  EXPECT_EQ(fake.Wire().substr(0, 17), "TX 89 TX 46 TX 35");
}

TEST_F(ProtocoleTest, ModelRowZeroSendsTheAddressClearAndStillScramblesTheData) {
  liaison.ChangerIndexModele(0);
  Etat(1, 3);
  appareil.Queue({ACQUIT});
  EXPECT_EQ(liaison.EcrireMotProgramme(0x0030, 0x1234), 0);
  EXPECT_EQ(fake.Wire(), "TX 8D TX 30 TX 30 TX 33 TX 30 TX 35 TX 46 TX 39 TX 32 RX 84");
}

// Three tries in all; the code of the last one is returned.
TEST_F(ProtocoleTest, AWordWriteIsTriedThreeTimesAtMost) {
  struct Cas {
    const char* nom;
    std::vector<std::uint8_t> reponses;
    std::int32_t resultat;
    int essais;
  };
  const std::vector<Cas> cas = {
      {"never answered", {}, ERR_PAS_DE_REPONSE, 3},
      {"always refused", {0x00, 0x00, 0x00, 0x00}, ERR_ACQUITTEMENT, 3},
      {"refused then silent", {0x00}, ERR_PAS_DE_REPONSE, 3},
      {"second try acknowledged", {0x00, ACQUIT}, 0, 2},
  };
  for (const Cas& c : cas) {
    Etat(1, 3);
    appareil.Queue(c.reponses);
    EXPECT_EQ(liaison.EcrireMotProgramme(0x100, 0x3FFF), c.resultat) << c.nom;
    const std::string fil = fake.Wire();
    int commandes = 0;
    for (auto p = fil.find("TX 8D"); p != std::string::npos; p = fil.find("TX 8D", p + 1)) ++commandes;
    EXPECT_EQ(commandes, c.essais) << c.nom;
    EXPECT_EQ(liaison.LeModeSession(), 3) << c.nom;
    appareil.Purge();
  }
}

TEST_F(ProtocoleTest, LancerApplicationReadsNothingAndChangesNothing) {
  Etat(1, 3);
  const auto debut = Ms();
  EXPECT_EQ(liaison.LancerApplication(), 0);
  EXPECT_EQ(fake.Wire(), "TX 91");
  EXPECT_LT(Ms() - debut, 5u);
  EXPECT_EQ(liaison.LeSynchronise(), 1);
  EXPECT_EQ(liaison.LeModeSession(), 3);
}

}  // namespace
