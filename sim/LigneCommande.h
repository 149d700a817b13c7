// The command line of zt-bootloader-sim: the device's identity, its faults,
// and how the program runs.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "sim/Chargeur.h"

namespace sim {

struct Reglages {
  Options appareil;
  bool rythme = true;            // pace the line at 9600 8E1
  bool rester = false;           // --stay: serve across hang-ups
  std::optional<double> delaiS;  // --timeout
  std::string fichierRapport;    // --report; empty: standard output
};

enum class Analyse { Servir, Aide, Erreur };

// Fills `reglages` from the arguments; on Erreur, `erreur` says what is wrong.
Analyse AnalyserLigne(int argc, const char* const* argv, Reglages& reglages, std::string& erreur);

std::string_view TexteAide();

}  // namespace sim
