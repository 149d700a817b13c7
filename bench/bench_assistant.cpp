// The whole update through the real wizard: zt-update in an Xvfb of our own,
// clicked through with xdotool, zt-bootloader-sim as its COM1; then the
// reference host (reference_host: the same calls on the same timer grid, no
// window) against the same simulator program. Both are timed on the wire,
// from the simulator's report: "&Connexion" (the wizard) or the start of the
// 2250 ms wait (the reference host) to the start command 0x91. Prints a
// markdown table, one column per run, beside the pacing bound and the goals.
//
// Usage: bench_assistant [--runs N] [--display :77]
// Needs root (a mount namespace binds the simulator's pty over /dev/ttyS0).
// Exits 1 when a run fails or the device did not get the whole image.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <regex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_assistant_proc.h"
#include "bench/bench_assistant_rapport.h"
#include "bench/bench_assistant_x11.h"
#include "platform/os/posix/UniqueFd.h"
#include "tests/integration/SimulateurPty.h"

namespace {

// 2250 ms to the first poll, four 200 ms ticks of checks, 188 row ticks and
// the tick of the start command, 100 ms each.
constexpr double kBorneS = 2.25 + 4 * 0.2 + 189 * 0.1;
constexpr double kRapportMax = 1.03;
constexpr double kCpuMaxPourcent = 5.0;
constexpr double kResidentMaxMo = 30.0;  // 10^6 bytes
constexpr double kFenetreMaxS = 0.3;
constexpr int kEchantillonMs = 20;

const std::regex kTitre("^Mise .* du Orvalis ZT$");
// Client coordinates of the main window's buttons and of the pixels that
// tell the pages apart, as the end-to-end test reads them.
const std::vector<std::string> kSuivant = {"440", "375"};
const std::vector<std::string> kQuitter = {"264", "375"};
constexpr int kBarreX = 460, kBarreY = 336;  // inside the bar, shown on page 8 only
constexpr int kFondX = 480, kFondY = 100;    // the form's background
constexpr unsigned long kBlanc = 0xFFFFFF;

struct MesureAssistant {
  double fenetreS = 0;      // execve to the MapNotify of its window
  double clicMs = 0;        // xdotool's own time for the "&Connexion" click
  std::int64_t connexionNs = 0;
  InstantsDuFil fil;
  double cpuTicksS = 0;     // /proc/PID/stat, Connexion to the sample after 0x91
  double cpuSchedS = 0;     // /proc/PID/schedstat, the same samples
  long picKiB = 0;
};

struct MesureReference {
  std::int64_t debutUs = 0;
  InstantsDuFil fil;
  double cpuS = 0;
  int lentes = 0;
  double pireLigneMs = 0;
};

void Dormir(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

double Cliquer(Window fenetre, const std::vector<std::string>& bouton) {
  const double ms = Xdotool(
      Concat(Concat({"mousemove", "--window", std::to_string(fenetre)}, bouton), {"click", "1"}));
  Dormir(300);
  return ms;
}

// Samples the wizard's CPU every kEchantillonMs until page 9 has been up for
// half a second (the start command goes one tick after it shows).
std::vector<Cpu> SuivreMiseAJour(const Affichage& x, Window w, pid_t pid, unsigned long fond) {
  std::vector<Cpu> echantillons;
  const std::int64_t fin = MonotoneNs() + 90'000'000'000;
  bool page8 = false;
  std::int64_t page9Ns = 0;
  while (page9Ns == 0 || MonotoneNs() < page9Ns + 500'000'000) {
    if (MonotoneNs() > fin || Fini(pid)) throw std::runtime_error("the update did not end");
    echantillons.push_back(LireCpu(pid));
    if (page9Ns == 0) {
      const unsigned long p = x.Pixel(w, kBarreX, kBarreY);
      page8 = page8 || p == kBlanc;
      if (page8 && p == fond) page9Ns = MonotoneNs();
    }
    Dormir(kEchantillonMs);
  }
  return echantillons;
}

const Cpu& ApresLancement(const std::vector<Cpu>& echantillons, std::int64_t lancementUs) {
  for (const Cpu& c : echantillons)
    if (c.ns >= lancementUs * 1000) return c;
  throw std::runtime_error("no CPU sample after the start command");
}

void AttendreFin(ProcessusEnfant& assistant) {
  const std::int64_t fin = MonotoneNs() + 10'000'000'000;
  while (!Fini(assistant.Pid()))
    if (MonotoneNs() > fin) throw std::runtime_error("the wizard did not quit");
    else Dormir(10);
  if (assistant.Attendre() != 0) throw std::runtime_error("the wizard exited with an error");
}

MesureAssistant MesurerAssistant(const std::string& ecran) {
  SimulateurPty sim(ZT_SIM, {"--timeout", "120"});
  Affichage x(ecran);
  Lance assistant = LancerAvecPtyEnCom1(ZT_UPDATE, sim.CheminPty());
  const Affichage::Carte carte = x.AttendreFenetre(kTitre, 10'000);
  MesureAssistant m;
  m.fenetreS = double(carte.ns - assistant.execNs) / 1e9;
  const pid_t pid = assistant.enfant.Pid();
  Dormir(300);
  for (int i = 0; i < 4; ++i) Cliquer(carte.fenetre, kSuivant);
  const unsigned long fond = x.Pixel(carte.fenetre, kFondX, kFondY);
  Xdotool(Concat({"mousemove", "--window", std::to_string(carte.fenetre)}, kSuivant));
  const Cpu avant = LireCpu(pid);
  m.connexionNs = MonotoneNs();
  m.clicMs = Xdotool({"click", "1"});
  const std::vector<Cpu> echantillons = SuivreMiseAJour(x, carte.fenetre, pid, fond);
  m.picKiB = PicResidentKiB(pid);
  Cliquer(carte.fenetre, kQuitter);
  AttendreFin(assistant.enfant);
  m.fil = LireInstantsDuFil(sim.Rapport());
  const Cpu& apres = ApresLancement(echantillons, m.fil.lancementUs);
  m.cpuTicksS = double(apres.ticks - avant.ticks) / double(::sysconf(_SC_CLK_TCK));
  m.cpuSchedS = double(apres.schedNs - avant.schedNs) / 1e9;
  return m;
}

std::string SortieDe(const std::string& programme, const std::vector<std::string>& arguments) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe2 failed");
  os::UniqueFd lecture(fds[0]);
  os::UniqueFd ecriture(fds[1]);
  ProcessusEnfant enfant = ProcessusEnfant::Lancer(programme, arguments, ecriture.Get());
  ecriture.Reset();
  std::string sortie;
  char tampon[4096];
  for (ssize_t n; (n = ::read(lecture.Get(), tampon, sizeof tampon)) != 0;)
    if (n > 0) sortie.append(tampon, static_cast<std::size_t>(n));
    else if (errno != EINTR) break;
  if (enfant.Attendre() != 0) throw std::runtime_error(programme + " failed");
  return sortie;
}

MesureReference MesurerReference() {
  const std::string ligne = SortieDe(ZT_REFERENCE, {ZT_SIM, "--timeout", "120"});
  MesureReference r;
  long long debut = 0, premier = 0, lancement = 0;
  if (std::sscanf(ligne.c_str(),
                  "debutUs %lld premierAppelUs %lld lancementUs %lld cpuS %lf lentes %d "
                  "pireLigneMs %lf",
                  &debut, &premier, &lancement, &r.cpuS, &r.lentes, &r.pireLigneMs) != 6)
    throw std::runtime_error("reference_host printed: " + ligne);
  r.debutUs = debut;
  r.fil = {premier, lancement};
  return r;
}

struct Tour {
  MesureAssistant assistant;
  MesureReference reference;
  double AssistantS() const {
    return double(assistant.fil.lancementUs * 1000 - assistant.connexionNs) / 1e9;
  }
  double ReferenceS() const { return double(reference.fil.lancementUs - reference.debutUs) / 1e6; }
  double AssistantPremierAppelMs() const {
    return double(assistant.fil.premierAppelUs * 1000 - assistant.connexionNs) / 1e6;
  }
  double ReferencePremierAppelMs() const {
    return double(reference.fil.premierAppelUs - reference.debutUs) / 1e3;
  }
};

std::string Charge() {
  char texte[128] = "";
  if (std::FILE* f = std::fopen("/proc/loadavg", "r")) {
    if (!std::fgets(texte, sizeof texte, f)) texte[0] = '\0';
    std::fclose(f);
  }
  std::string s(texte);
  while (!s.empty() && s.back() == '\n') s.pop_back();
  return s;
}

const char* Oui(bool b) { return b ? "yes" : "**no**"; }

// One row: the measure, one cell per run, the goal and whether every run met it.
template <typename Valeur, typename Bon>
void Ligne(const char* nom, const std::vector<Tour>& tours, Valeur valeur, const char* format,
           const char* but, Bon bon) {
  std::printf("| %s |", nom);
  bool tous = true;
  for (const Tour& t : tours) {
    std::printf(" ");
    std::printf(format, valeur(t));
    std::printf(" |");
    tous = tous && bon(valeur(t));
  }
  std::printf(" %s | %s |\n", but, *but ? Oui(tous) : "");
}

template <typename Valeur>
void Ligne(const char* nom, const std::vector<Tour>& tours, Valeur valeur, const char* format) {
  Ligne(nom, tours, valeur, format, "", [](double) { return true; });
}

void Imprimer(const std::vector<Tour>& tours, const std::string& chargeAvant) {
  std::printf("| measure | ");
  for (std::size_t i = 0; i < tours.size(); ++i) std::printf("run %zu | ", i + 1);
  std::printf("goal | met |\n|---|");
  for (std::size_t i = 0; i < tours.size(); ++i) std::printf("---:|");
  std::printf("---|---|\n");
  auto sous = [](double limite) { return [limite](double v) { return v < limite; }; };
  auto auPlus = [](double limite) { return [limite](double v) { return v <= limite; }; };
  Ligne("\"&Connexion\" to 0x91 on the wire, wizard", tours,
        [](const Tour& t) { return t.AssistantS(); }, "%.3f s");
  Ligne("start of the 2250 ms wait to 0x91, reference host", tours,
        [](const Tour& t) { return t.ReferenceS(); }, "%.3f s");
  Ligne("pacing bound, 2.25 + 4 x 0.2 + 189 x 0.1", tours, [](const Tour&) { return kBorneS; },
        "%.3f s");
  Ligne("wizard / reference host", tours,
        [](const Tour& t) { return t.AssistantS() / t.ReferenceS(); }, "%.4f", "<= 1.03",
        auPlus(kRapportMax));
  Ligne("wizard / pacing bound", tours, [](const Tour& t) { return t.AssistantS() / kBorneS; },
        "%.4f", "<= 1.03", auPlus(kRapportMax));
  Ligne("reference host / pacing bound", tours,
        [](const Tour& t) { return t.ReferenceS() / kBorneS; }, "%.4f");
  Ligne("\"&Connexion\" to the first poll on the wire, wizard", tours,
        [](const Tour& t) { return t.AssistantPremierAppelMs(); }, "%.1f ms");
  Ligne("start to the first poll on the wire, reference host", tours,
        [](const Tour& t) { return t.ReferencePremierAppelMs(); }, "%.1f ms");
  // Both timers start when their "Connexion" is handled and open the port the
  // same way, so the difference is how late the click reached the wizard.
  Ligne("click sent to click handled, estimated (difference of the two above)", tours,
        [](const Tour& t) { return t.AssistantPremierAppelMs() - t.ReferencePremierAppelMs(); },
        "%.1f ms");
  Ligne("xdotool's own run for that click (it lingers after the click)", tours,
        [](const Tour& t) { return t.assistant.clicMs; }, "%.1f ms");
  Ligne("wizard CPU, user + sys (/proc/PID/stat)", tours,
        [](const Tour& t) { return t.assistant.cpuTicksS; }, "%.2f s");
  Ligne("wizard CPU / wall", tours,
        [](const Tour& t) { return 100 * t.assistant.cpuTicksS / t.AssistantS(); }, "%.2f %%",
        "< 5 %", sous(kCpuMaxPourcent));
  Ligne("wizard CPU on a core (/proc/PID/schedstat) / wall", tours,
        [](const Tour& t) { return 100 * t.assistant.cpuSchedS / t.AssistantS(); }, "%.2f %%");
  Ligne("reference host CPU / wall", tours,
        [](const Tour& t) { return 100 * t.reference.cpuS / t.ReferenceS(); }, "%.2f %%");
  Ligne("wizard peak resident (VmHWM before quitting)", tours,
        [](const Tour& t) { return double(t.assistant.picKiB) * 1024 / 1e6; }, "%.1f MB",
        "< 30 MB", sous(kResidentMaxMo));
  Ligne("execve to the window mapped (MapNotify)", tours,
        [](const Tour& t) { return t.assistant.fenetreS; }, "%.3f s", "< 0.3 s",
        sous(kFenetreMaxS));
  Ligne("reference host: row ticks longer than 100 ms", tours,
        [](const Tour& t) { return double(t.reference.lentes); }, "%.0f");
  Ligne("reference host: longest row tick", tours,
        [](const Tour& t) { return t.reference.pireLigneMs; }, "%.1f ms");
  std::printf("\nLoad average before: %s; after: %s (%ld CPUs).\n", chargeAvant.c_str(),
              Charge().c_str(), ::sysconf(_SC_NPROCESSORS_ONLN));
}

struct Reglages {
  int tours = 2;
  std::string ecran = ":77";
};

Reglages Analyser(int argc, char** argv) {
  Reglages r;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (i + 1 >= argc) throw std::runtime_error("usage: bench_assistant [--runs N] [--display :N]");
    if (option == "--runs") r.tours = std::max(1, std::atoi(argv[++i]));
    else if (option == "--display") r.ecran = argv[++i];
    else throw std::runtime_error("unknown option " + option);
  }
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const Reglages reglages = Analyser(argc, argv);
    const std::string charge = Charge();
    Xvfb xvfb(reglages.ecran);
    ::setenv("DISPLAY", reglages.ecran.c_str(), 1);
    std::vector<Tour> tours;
    for (int i = 0; i < reglages.tours; ++i) {
      Tour t;
      t.assistant = MesurerAssistant(reglages.ecran);
      t.reference = MesurerReference();
      tours.push_back(t);
    }
    Imprimer(tours, charge);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_assistant: %s\n", e.what());
    return 1;
  }
}
