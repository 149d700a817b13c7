// The wizard's update sequence with no window: the same CK02 calls, tick by
// tick, on a timer that keeps its grid, against zt-bootloader-sim as COM1.
// It is what the real wizard is measured against: any time the wizard takes
// beyond this host's is the window's and the event loop's.
//
// The timer behaves as the wizard's: due times on the grid of its period from
// when it was started; a late tick fires at once, once, and the next due time
// is the next grid point after that moment. Each phase starts its timer when
// the previous one ends, as the wizard's pages do.
//
// Usage: reference_host [SIMULATOR [OPTION...]]
// Prints one line, "name value" pairs: debutUs (CLOCK_MONOTONIC at the start
// of the 2250 ms wait, the wizard's "Connexion"), premierAppelUs and
// lancementUs (from the simulator's report), cpuS (this process, the wait to
// the start command), lentes (row ticks whose work outlasted their period)
// and pireLigneMs (the longest row tick). Exits 1 when the update went wrong.
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/commun/TempsCpu.h"
#include "bench/bench_assistant_rapport.h"
#include "link/Classek02.h"
#include "tests/integration/SimulateurPty.h"
#include "wizard/LigneImage.h"

namespace {

std::int64_t MonotoneNs() {
  timespec t{};
  ::clock_gettime(CLOCK_MONOTONIC, &t);
  return std::int64_t{t.tv_sec} * 1'000'000'000 + t.tv_nsec;
}

class Grille {
 public:
  explicit Grille(std::int64_t periodeMs)
      : periodeNs_(periodeMs * 1'000'000), debutNs_(MonotoneNs()), dueNs_(debutNs_ + periodeNs_) {}

  // Sleeps until the tick is due; the next one is the first grid point after
  // the moment this one fires, however late it is.
  void Attendre() {
    const timespec due{static_cast<time_t>(dueNs_ / 1'000'000'000),
                       static_cast<long>(dueNs_ % 1'000'000'000)};
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr) == EINTR) {
    }
    const std::int64_t maintenant = MonotoneNs();
    dueNs_ = debutNs_ + ((maintenant - debutNs_) / periodeNs_ + 1) * periodeNs_;
  }
  std::int64_t PeriodeNs() const { return periodeNs_; }

 private:
  std::int64_t periodeNs_;
  std::int64_t debutNs_;
  std::int64_t dueNs_;
};

void Exiger(std::int32_t code, const char* etape) {
  if (code != 0) throw std::runtime_error(std::string(etape) + " failed: " + std::to_string(code));
}

// Page 7's four ticks, the calls of the wizard's VerificationAppareil.
void Verifier(CK02& liaison) {
  Grille grille(200);
  std::int32_t version = 0;
  std::uint32_t serie = 0;
  std::int32_t majeure = 0;
  std::int32_t mineure = 0;
  grille.Attendre();
  Exiger(liaison.VerifierModele(), "VerifierModele");
  grille.Attendre();
  Exiger(liaison.LireVersionChargeur(version), "LireVersionChargeur");
  Exiger(liaison.LireNumeroSerie(serie), "LireNumeroSerie");
  grille.Attendre();
  Exiger(liaison.LireVersion(majeure, mineure), "LireVersion");
  grille.Attendre();
  Exiger(liaison.Deverrouiller(), "Deverrouiller");
  Exiger(liaison.DemarrerProgrammation(), "DemarrerProgrammation");
}

// One row, as the wizard's EcrireLigne sends it; true on the end-of-file row.
bool EcrireLigne(CK02& liaison, const LigneImage& ligne) {
  if (ligne.TypeEnregistrement == TypeFinFichier) {
    Exiger(liaison.EcrireVersion(1, 2), "EcrireVersion");
    return true;
  }
  if (ligne.TypeEnregistrement == TypeAdresseEtendue) return false;
  for (std::int32_t i = 0; DansFenetreProgramme(ligne.AdresseMot) && i < ligne.NbMots; ++i)
    Exiger(liaison.EcrireMotProgramme(static_cast<std::uint32_t>(ligne.AdresseMot + i),
                                      static_cast<std::uint32_t>(ligne.Mot(i))),
           "EcrireMotProgramme");
  for (std::int32_t i = 0; DansFenetreEeprom(ligne.AdresseMot) && i < ligne.NbMots; ++i)
    Exiger(liaison.EcrireOctetEeprom(AdresseEeprom(ligne.AdresseMot, i), ligne.OctetEeprom(i)),
           "EcrireOctetEeprom");
  return false;
}

struct Rangs {
  int lentes = 0;
  std::int64_t pireNs = 0;
};

// Page 8's row ticks, then page 9's tick that sends the start command.
Rangs Programmer(CK02& liaison) {
  TableLignes lignes{};
  const std::int32_t n = RemplirLignes(lignes);
  Grille grille(100);
  Rangs rangs;
  bool fin = false;
  for (std::int32_t k = 0; k < n && !fin; ++k) {
    grille.Attendre();
    const std::int64_t debut = MonotoneNs();
    fin = EcrireLigne(liaison, LigneImage(lignes[static_cast<std::size_t>(k)]));
    const std::int64_t duree = MonotoneNs() - debut;
    rangs.lentes += duree > grille.PeriodeNs();
    rangs.pireNs = std::max(rangs.pireNs, duree);
  }
  if (!fin) throw std::runtime_error("the image has no end-of-file row");
  grille.Attendre();
  Exiger(liaison.LancerApplication(), "LancerApplication");
  return rangs;
}

int Lancer(const std::string& programme, const std::vector<std::string>& options) {
  SimulateurPty sim(programme, options);
  std::int64_t debutNs = 0;
  double cpu = 0;
  Rangs rangs;
  {
    CK02 liaison(sim.Systeme());
    liaison.ChoisirPort(0);
    debutNs = MonotoneNs();
    cpu = CpuSecondes();
    Grille attente(2250);
    attente.Attendre();
    Exiger(liaison.Connecter(1), "Connecter");
    Verifier(liaison);
    rangs = Programmer(liaison);
    cpu = CpuSecondes() - cpu;
  }  // the link hangs up, as the wizard's does when it quits: the report follows
  const InstantsDuFil fil = LireInstantsDuFil(sim.Rapport());
  std::printf("debutUs %lld premierAppelUs %lld lancementUs %lld cpuS %.4f lentes %d "
              "pireLigneMs %.1f\n",
              static_cast<long long>(debutNs / 1000), static_cast<long long>(fil.premierAppelUs),
              static_cast<long long>(fil.lancementUs), cpu, rangs.lentes,
              double(rangs.pireNs) / 1e6);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const std::vector<std::string> options(argv + std::min(argc, 2), argv + argc);
    return Lancer(argc > 1 ? argv[1] : ZT_SIM, options);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "reference_host: %s\n", e.what());
    return 1;
  }
}
