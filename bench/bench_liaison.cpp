// The whole image programmed by CK02 over a paced pty into zt-bootloader-sim,
// the same exchange as the integration test, and measured: the bytes each
// way, the wall and CPU time of the transfer beside the line's own time for
// those bytes, the simulator's lateness and the host's peak resident size.
// Prints markdown tables; exits 1 when the update itself went wrong or the
// two byte counts disagree, since the figures would then mean nothing.
//
// Usage: bench_liaison [SIMULATOR [OPTION...]]
// SIMULATOR defaults to the zt-bootloader-sim of this build; the options go
// to it (--no-pacing shows what the pty and both programs cost by themselves).
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <map>
#include <string>
#include <vector>

#include "tests/commun/TempsCpu.h"
#include "bench/OsCompteur.h"
#include "link/Classek02.h"
#include "tests/commun/MiseAJour.h"
#include "tests/integration/SimulateurPty.h"

namespace {

using Horloge = std::chrono::steady_clock;

// A character on the line: start bit, 8 data bits, parity, stop bit.
constexpr double kSecondesParOctet = 11.0 / 9600.0;
constexpr double kRatioMax = 1.05;
constexpr double kCpuMaxPourcent = 5.0;
constexpr std::uint64_t kOctetsParMot = 10;  // 0x8D, four hex pairs, the ACQUIT

// Where the transfer stood at one moment.
struct Instant {
  Horloge::time_point t{};
  double cpu = 0;
  std::uint64_t emis = 0;
  std::uint64_t recus = 0;
  std::uint64_t nsEcriture = 0;
  std::uint64_t nsLecture = 0;
  std::uint64_t nsRetournement = 0;
  std::uint64_t allersRetours = 0;
};

Instant Maintenant(const OsCompteur& compteur) {
  return {Horloge::now(),         CpuSecondes(),          compteur.OctetsEmis(),
          compteur.OctetsRecus(), compteur.NsEcriture(),  compteur.NsLecture(),
          compteur.NsRetournement(), compteur.AllersRetours()};
}

double Secondes(const Instant& a, const Instant& b) {
  return std::chrono::duration<double>(b.t - a.t).count();
}

std::uint64_t Octets(const Instant& a, const Instant& b) {
  return (b.emis - a.emis) + (b.recus - a.recus);
}

struct Transfert {
  std::int32_t code = -1;
  Instant debut;
  Instant premierMot;  // once the first program word is acknowledged
  Instant dernierMot;
  Instant fin;  // once the second EcrireVersion byte is acknowledged
  std::int32_t mots = 0;
};

Transfert Transferer(CK02& liaison, const OsCompteur& compteur) {
  Transfert t;
  t.debut = Maintenant(compteur);
  t.code = MettreAJour(liaison, [&](std::int32_t n) {
    t.dernierMot = Maintenant(compteur);
    if (n == 1) t.premierMot = t.dernierMot;
    t.mots = n;
  });
  t.fin = Maintenant(compteur);
  return t;
}

// What the device holds against the image, and both byte counts against
// each other. Prints what is wrong; true when all is right.
bool Verifier(const Transfert& t, const Json& rapport, const OsCompteur& compteur) {
  bool bon = true;
  auto exiger = [&](bool condition, const std::string& quoi) {
    if (!condition) std::fprintf(stderr, "bench_liaison: %s\n", quoi.c_str());
    bon = bon && condition;
  };
  exiger(t.code == 0, "the update failed with code " + std::to_string(t.code));
  std::map<std::uint32_t, std::uint16_t> mots;
  for (const Json& mot : rapport["mots"].Elements())
    mots[static_cast<std::uint32_t>(mot["adresse"].Entier())] =
        static_cast<std::uint16_t>(mot["valeur"].Entier());
  exiger(mots == MotsDeLImage(), "the device's program memory differs from the image");
  exiger(rapport["nbViolations"].Entier() == 0, "the simulator saw protocol violations");
  const auto recus = static_cast<std::uint64_t>(rapport["octetsRecus"].Entier());
  const auto emis = static_cast<std::uint64_t>(rapport["octetsEmis"].Entier());
  exiger(recus == compteur.OctetsEmis() && emis == compteur.OctetsRecus(),
         "byte counts disagree: host out " + std::to_string(compteur.OctetsEmis()) + " in " +
             std::to_string(compteur.OctetsRecus()) + ", simulator received " +
             std::to_string(recus) + " sent " + std::to_string(emis));
  return bon;
}

const char* Oui(bool b) { return b ? "yes" : "**no**"; }

void TableauPrincipal(const Transfert& t, const Json& simulateur) {
  const double mur = Secondes(t.debut, t.fin);
  const double ligne = double(Octets(t.debut, t.fin)) * kSecondesParOctet;
  const double cpu = t.fin.cpu - t.debut.cpu;
  const double ratio = mur / ligne;
  const double pourcent = 100.0 * cpu / mur;
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  std::printf("| measure | value | goal | met |\n|---|---:|---|---|\n");
  std::printf("| bytes out (host to device) | %llu | | |\n",
              static_cast<unsigned long long>(t.fin.emis - t.debut.emis));
  std::printf("| bytes in (device to host) | %llu | | |\n",
              static_cast<unsigned long long>(t.fin.recus - t.debut.recus));
  std::printf("| wall time, Connecter to the last EcrireVersion ack | %.3f s | | |\n", mur);
  std::printf("| line time of out + in, 11 bits at 9600 baud | %.3f s | | |\n", ligne);
  std::printf("| ratio wall / line time | %.4f | <= %.2f | %s |\n", ratio, kRatioMax,
              Oui(ratio <= kRatioMax));
  std::printf("| host CPU, user + sys | %.3f s | | |\n", cpu);
  std::printf("| host CPU / wall | %.2f %% | < %.0f %% | %s |\n", pourcent, kCpuMaxPourcent,
              Oui(pourcent < kCpuMaxPourcent));
  std::printf("| simulator lateness, mean (max) | %lld us (%lld us) | | |\n",
              static_cast<long long>(simulateur["retardMoyenUs"].Entier()),
              static_cast<long long>(simulateur["retardMaxUs"].Entier()));
  std::printf("| host peak resident memory (ru_maxrss) | %ld KiB | | |\n", usage.ru_maxrss);
}

void Phase(const char* nom, const Instant& a, const Instant& b) {
  const double mur = Secondes(a, b);
  const double ligne = double(Octets(a, b)) * kSecondesParOctet;
  const std::uint64_t tours = b.allersRetours - a.allersRetours;
  std::printf("| %s | %llu | %llu | %.3f s | %.3f s | %.4f | %.0f us |\n", nom,
              static_cast<unsigned long long>(Octets(a, b)),
              static_cast<unsigned long long>(tours), mur, ligne, mur / ligne,
              tours ? 1e6 * (mur - ligne) / double(tours) : 0.0);
}

// Where the time beyond the line's goes, phase by phase. A round trip is
// the host waiting on the device: the half-duplex line turns round twice.
void TableauPhases(const Transfert& t) {
  std::printf("\n| phase | bytes | round trips | wall | line time | ratio | excess per round trip |\n"
              "|---|---:|---:|---:|---:|---:|---:|\n");
  Phase("checks and unlock, then word 1 (Connecter's 10 ms pause included)", t.debut,
        t.premierMot);
  Phase("words 2 to last", t.premierMot, t.dernierMot);
  Phase("version stamp (two EEPROM writes)", t.dernierMot, t.fin);
}

// One word write, on average over words 2 to last, taken apart. The
// simulator's clock for a word starts when it reads the word's first byte,
// so a word costs its line time, plus how late the simulator wrote the
// ACQUIT, plus the host's own turnaround, plus what neither program sees:
// the pty's delivery of a byte each way and the wake-up of its reader.
void TableauMot(const Transfert& t, const Json& simulateur) {
  const double mots = double(t.mots - 1);
  const Instant& a = t.premierMot;
  const Instant& b = t.dernierMot;
  auto us = [&](std::uint64_t ns) { return double(ns) / 1e3 / mots; };
  const double mur = 1e6 * Secondes(a, b) / mots;
  const double ligne = 1e6 * double(kOctetsParMot) * kSecondesParOctet;
  const double retard = double(simulateur["retardMoyenUs"].Entier());
  const double retournement = us(b.nsRetournement - a.nsRetournement);
  std::printf("\n| one word write, mean over words 2 to last | us |\n|---|---:|\n");
  std::printf("| wall | %.0f |\n", mur);
  std::printf("| line time of its %llu characters | %.0f |\n",
              static_cast<unsigned long long>(kOctetsParMot), ligne);
  std::printf("| host inside the WriteFile calls (within the line time) | %.0f |\n",
              us(b.nsEcriture - a.nsEcriture));
  std::printf("| host inside ReadFile, waiting for the ACQUIT | %.0f |\n",
              us(b.nsLecture - a.nsLecture));
  std::printf("| excess over the line time | %.0f |\n", mur - ligne);
  std::printf("| - the simulator's lateness in writing the ACQUIT (its mean) | %.0f |\n", retard);
  std::printf("| - the host, from the ACQUIT's return to the next write | %.0f |\n", retournement);
  std::printf("| - left: pty delivery and wake-ups, both ways | %.0f |\n",
              mur - ligne - retard - retournement);
}

int Lancer(const std::string& programme, const std::vector<std::string>& options) {
  SimulateurPty sim(programme, options);
  OsCompteur compteur(sim.Systeme());
  CK02 liaison(compteur);
  liaison.ChoisirPort(0);
  if (liaison.Ouvrir() != 0) {
    std::fprintf(stderr, "bench_liaison: COM1 did not open: %d\n", liaison.DerniereErreur());
    return 1;
  }
  const Transfert t = Transferer(liaison, compteur);
  liaison.Fermer();
  const Json rapport = sim.Rapport();
  if (!Verifier(t, rapport, compteur)) return 1;
  TableauPrincipal(t, rapport["simulateur"]);
  TableauPhases(t);
  TableauMot(t, rapport["simulateur"]);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const std::vector<std::string> options(argv + std::min(argc, 2), argv + argc);
    return Lancer(argc > 1 ? argv[1] : ZT_SIM, options);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_liaison: %s\n", e.what());
    return 1;
  }
}
