// zt-bootloader-sim: the Orvalis ZT's boot loader on a pseudo-terminal.
// Prints the slave's path first, serves the protocol at the pace of a 9600
// 8E1 line, and ends with a JSON report of what the device received.
#include <csignal>
#include <cstdio>
#include <exception>
#include <string>

#include "sim/Chargeur.h"
#include "sim/LigneCommande.h"
#include "sim/Pty.h"
#include "sim/Serveur.h"

namespace {

constexpr const char* kNom = "zt-bootloader-sim";

int Servir(const sim::Reglages& reglages) {
  // The report's file is made at once, so a bad path fails before the session.
  std::FILE* rapport = stdout;
  if (!reglages.fichierRapport.empty() &&
      !(rapport = std::fopen(reglages.fichierRapport.c_str(), "w"))) {
    std::fprintf(stderr, "%s: cannot write the report to %s\n", kNom,
                 reglages.fichierRapport.c_str());
    return 1;
  }
  sim::Pty pty;
  std::printf("%s\n", pty.Chemin().c_str());
  std::fflush(stdout);
  sim::Chargeur chargeur(reglages.appareil);
  sim::Serveur(pty, chargeur, reglages).Servir();
  pty.Fermer();
  const std::string json = chargeur.RapportJson();
  const bool ecrit = std::fwrite(json.data(), 1, json.size(), rapport) == json.size();
  const bool ferme = rapport == stdout ? std::fflush(stdout) == 0 : std::fclose(rapport) == 0;
  if (!ecrit || !ferme) {
    std::fprintf(stderr, "%s: the report could not be written\n", kNom);
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  sim::Reglages reglages;
  std::string erreur;
  switch (sim::AnalyserLigne(argc, argv, reglages, erreur)) {
    case sim::Analyse::Aide:
      std::fwrite(sim::TexteAide().data(), 1, sim::TexteAide().size(), stdout);
      return 0;
    case sim::Analyse::Erreur:
      std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", kNom, erreur.c_str(), kNom);
      return 2;
    case sim::Analyse::Servir:
      break;
  }
  std::signal(SIGPIPE, SIG_IGN);  // a reader of stdout that went away must not kill the report
  try {
    return Servir(reglages);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", kNom, e.what());
    return 1;
  }
}
