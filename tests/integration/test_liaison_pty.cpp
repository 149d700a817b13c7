// CK02 over the POSIX back end on a real pty, against zt-bootloader-sim as
// COM1: the line the device end sees, the link's time-outs, the exclusive
// open, a hang-up mid-transfer, and the whole image at the line's own pace.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tests/commun/TempsCpu.h"
#include "link/Classek02.h"
#include "tests/commun/MiseAJour.h"
#include "tests/integration/SimulateurPty.h"

namespace {

using Horloge = std::chrono::steady_clock;
using testing::AnyOf;

constexpr auto kAccesRefuse = static_cast<std::int32_t>(os::ERROR_ACCESS_DENIED);
constexpr auto kPartageRefuse = static_cast<std::int32_t>(os::ERROR_SHARING_VIOLATION);

double SecondesDepuis(Horloge::time_point debut) {
  return std::chrono::duration<double>(Horloge::now() - debut).count();
}

// The simulator as COM1 and a link to it.
struct Banc {
  explicit Banc(const std::vector<std::string>& arguments = {}) : sim(ZT_SIM, arguments) {
    liaison.ChoisirPort(0);
  }
  // The link hangs up; the simulator then reports.
  Json Rapport() {
    liaison.Fermer();
    return sim.Rapport();
  }
  SimulateurPty sim;
  CK02 liaison{sim.Systeme()};
};

// What CreateFileA of COM1 gives in another process: 0 if it opened the port.
std::int32_t OuvertureDansUnAutreProcessus(const SimulateurPty& sim) {
  int tuyau[2];
  if (::pipe2(tuyau, O_CLOEXEC) != 0) return -1;
  const os::UniqueFd lecture(tuyau[0]);
  os::UniqueFd ecriture(tuyau[1]);
  const pid_t pid = ::fork();
  if (pid == 0) {
    os::PosixOs systeme(sim.RacineDev(), sim.RacineSys());
    const os::HANDLE h = systeme.CreateFileA("\\\\.\\COM1", os::GENERIC_READ | os::GENERIC_WRITE,
                                             0, nullptr, os::OPEN_EXISTING, 0, 0);
    const os::DWORD code = h == os::INVALID_HANDLE_VALUE ? systeme.GetLastError() : 0;
    _exit(::write(tuyau[1], &code, sizeof code) == sizeof code ? 0 : 1);
  }
  ProcessusEnfant enfant(pid);
  ecriture.Reset();
  os::DWORD code = 0xFFFFFFFF;
  if (pid < 0 || ::read(lecture.Get(), &code, sizeof code) != sizeof code) return -1;
  return enfant.Attendre() == 0 ? static_cast<std::int32_t>(code) : -1;
}

TEST(LiaisonPty, TheDeviceEndSeesARaw9600LineWithoutFlowControl) {
  Banc banc;
  ASSERT_EQ(banc.liaison.Ouvrir(), 0);
  ASSERT_EQ(banc.liaison.Connecter(1), 0);
  const Json rapport = banc.Rapport();
  // Taken by the simulator at the link's first byte. The pty starts at
  // 38400 baud, so 9600 is the link's doing.
  const Json& ligne = rapport["ligne"];
  EXPECT_EQ(ligne["baud"].Entier(), 9600);
  EXPECT_EQ(ligne["baudEntree"].Entier(), 9600);
  EXPECT_EQ(ligne["bits"].Entier(), 8);
  EXPECT_EQ(ligne["bitsStop"].Entier(), 1);
  for (const char* drapeau : {"crtscts", "ixon", "ixoff", "ixany"})
    EXPECT_FALSE(ligne[drapeau].Booleen()) << drapeau;
  for (const char* drapeau : {"brut", "cread", "clocal"})
    EXPECT_TRUE(ligne[drapeau].Booleen()) << drapeau;
}

TEST(LiaisonPty, ASilentDeviceCostsTheLinksTimeOutsAndNoMore) {
  Banc banc({"--silent"});
  ASSERT_EQ(banc.liaison.Ouvrir(), 0);
  std::int32_t octet = 0;
  struct Cas {
    const char* nom;
    double secondes;
    std::function<std::int32_t()> appel;
  };
  const Cas cas[] = {
      {"Connecter(1): one poll, its 10 ms pause, one read time-out", 1.11,
       [&] { return banc.liaison.Connecter(1); }},
      {"LireOctet: 1000 ms plus 100 ms for the byte", 1.10,
       [&] { return banc.liaison.LireOctet(octet); }},
  };
  for (const Cas& c : cas) {
    const auto debut = Horloge::now();
    EXPECT_EQ(c.appel(), ERR_PAS_DE_REPONSE) << c.nom;
    EXPECT_NEAR(SecondesDepuis(debut), c.secondes, 0.2) << c.nom;
  }
}

TEST(LiaisonPty, WhileTheLinkHoldsCom1NoOtherOpenerGetsIt) {
  Banc banc;
  ASSERT_EQ(banc.liaison.Connecter(1), 0);
  os::PosixOs autreSysteme(banc.sim.RacineDev(), banc.sim.RacineSys());
  CK02 memeSysteme(banc.sim.Systeme());
  CK02 autre(autreSysteme);
  memeSysteme.ChoisirPort(0);
  autre.ChoisirPort(0);
  const std::pair<const char*, std::int32_t> cas[] = {
      {"a second link on the same system layer", memeSysteme.Ouvrir()},
      {"a second link on a system layer of its own", autre.Ouvrir()},
      {"another process", OuvertureDansUnAutreProcessus(banc.sim)},
  };
  // The port is there but in use: never 2, which would grey its button out.
  for (const auto& [nom, code] : cas)
    EXPECT_THAT(code, AnyOf(kAccesRefuse, kPartageRefuse)) << nom;
  // The refused openers left the line alone: the link still talks.
  std::int32_t versionChargeur = 0;
  EXPECT_EQ(banc.liaison.LireVersionChargeur(versionChargeur), 0);
  EXPECT_EQ(versionChargeur, 1);
}

TEST(LiaisonPty, AHangUpMidTransferFailsAtOnceWithoutSpinning) {
  Banc banc({"--hangup-at", "100"});
  std::int32_t motsEcrits = 0;
  Horloge::time_point dernierMot{};
  double cpuDernierMot = 0;
  const std::int32_t code = MettreAJour(banc.liaison, [&](std::int32_t n) {
    motsEcrits = n;
    dernierMot = Horloge::now();
    cpuDernierMot = CpuSecondes();
  });
  const double secondes = SecondesDepuis(dernierMot);
  const double cpu = CpuSecondes() - cpuDernierMot;
  EXPECT_EQ(code, static_cast<std::int32_t>(os::ERROR_DEVICE_NOT_CONNECTED));
  ASSERT_EQ(motsEcrits, 99);
  // Seen at once, well inside one read time-out (1.1 s): a back end that
  // took the hang-up for a silence would wait that out before the next
  // write failed. A wait that spun on the hang-up would burn the CPU.
  EXPECT_LT(secondes, 0.5);
  EXPECT_LT(cpu, 0.2) << secondes << " s";
  const Json rapport = banc.sim.Rapport();
  EXPECT_TRUE(rapport["raccroche"].Booleen());
  EXPECT_EQ(rapport["nbMots"].Entier(), 99);
}

TEST(LiaisonPty, TheWholeImageLandsWordForWordOverThePacedLine) {
  Banc banc;
  ASSERT_EQ(MettreAJour(banc.liaison), 0);
  const Json rapport = banc.Rapport();
  std::map<std::uint32_t, std::uint16_t> mots;
  for (const Json& mot : rapport["mots"].Elements())
    mots[static_cast<std::uint32_t>(mot["adresse"].Entier())] =
        static_cast<std::uint16_t>(mot["valeur"].Entier());
  const auto attendus = MotsDeLImage();
  ASSERT_EQ(attendus.size(), 1488u);
  EXPECT_EQ(mots, attendus);
  EXPECT_EQ(rapport["eeprom"]["245"].Entier(), 1);
  EXPECT_EQ(rapport["eeprom"]["246"].Entier(), 2);
  EXPECT_EQ(rapport["nbViolations"].Entier(), 0) << banc.sim.TexteRapport();
  EXPECT_EQ(rapport["commandes"]["0x8D"].Entier(), 1488) << "no word should need a second try";
}

}  // namespace
