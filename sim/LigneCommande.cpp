#include "sim/LigneCommande.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <map>

namespace sim {

namespace {

constexpr std::string_view kAide =
    R"(Usage: zt-bootloader-sim [OPTION]...
Simulates the boot loader of an Orvalis ZT on a pseudo-terminal. The first line
on standard output is the path of the terminal's slave side (/dev/pts/N): open
it as the device's serial port. The line is paced like a real 9600 8E1 line,
11 bits or 1146 us a character, in both directions.

Once the host has sent at least one byte and then closed the terminal (and has
not sent again within 100 ms), the simulator writes its JSON report and exits
with status 0. Opening and closing without sending (a port probe) is not a
hang-up.

Device:
  --model CODE         model code answered to 0x86, up to 3 characters, shorter
                       codes padded with NUL characters (default K02)
  --loader-version N   boot-loader version answered to 0x87, 0..255 (default 1)
  --serial N           serial number in EEPROM 241..244, 0..4294967295
                       (default 212345678)
  --version MAJ.MIN    installed firmware version in EEPROM 245 and 246, each
                       0..255 (default 1.1)
  --no-address-mask    the address bytes of a word write (0x8D) travel
                       unscrambled, as for a model-row-0 device

Faults (N counts from 1; word writes are complete 0x8D commands in programming
mode, retries included):
  --silent             never answer anything
  --ready-after N      answer polls from the Nth on; polls 1..N-1 get nothing
  --end-request        answer the first poll with 0x85 (end of session asked)
  --bad-ack-at N       answer word write N with 0x00 instead of ACQUIT and do
                       not store the word
  --lose-byte N        the Nth byte from the host never reaches the device
  --corrupt-byte N     the Nth byte from the host arrives with its 8 bits flipped
  --hangup-at N        hang up at word write N: close the terminal without
                       answering, write the report and exit
  --slow-flash MS      the ACQUIT of each word write comes MS milliseconds after
                       the write was received, 0..60000

Running:
  --no-pacing          answer at once, without the line's character time
  --stay               keep serving across hang-ups, until --timeout runs out
                       or SIGINT or SIGTERM comes
  --timeout SECONDS    write the report and exit after SECONDS (decimals allowed)
  --report FILE        write the JSON report to FILE instead of standard output
  --help               show this help and exit

SIGINT and SIGTERM end the run with the report too. Exit status: 0 after the
report, 1 when the terminal or the report cannot be made, 2 for a bad option.
)";

template <typename Entier>
bool LireEntier(std::string_view texte, Entier min, Entier max, Entier& valeur) {
  const char* fin = texte.data() + texte.size();
  auto [p, ec] = std::from_chars(texte.data(), fin, valeur);
  return ec == std::errc() && p == fin && valeur >= min && valeur <= max;
}

bool LireVersion(std::string_view texte, Options& o) {
  const auto point = texte.find('.');
  if (point == std::string_view::npos) return false;
  return LireEntier(texte.substr(0, point), 0, 255, o.versionMajeure) &&
         LireEntier(texte.substr(point + 1), 0, 255, o.versionMineure);
}

bool LireSecondes(const std::string& texte, std::optional<double>& delai) {
  char* fin = nullptr;
  const double s = std::strtod(texte.c_str(), &fin);
  if (texte.empty() || *fin != '\0' || !std::isfinite(s) || s <= 0 || s > 1e6) return false;
  delai = s;
  return true;
}

using Lecteur = std::function<bool(const std::string&, Reglages&)>;

Lecteur Compte(int Options::*champ, int min = 1, int max = 1'000'000'000) {
  return
      [=](const std::string& v, Reglages& r) { return LireEntier(v, min, max, r.appareil.*champ); };
}

// Options that take a value, and what each does with it.
const std::map<std::string, Lecteur>& AvecValeur() {
  static const std::map<std::string, Lecteur> table = {
      {"--model",
       [](const std::string& v, Reglages& r) {
         r.appareil.codeModele = v;
         return v.size() <= 3;
       }},
      {"--loader-version", Compte(&Options::versionChargeur, 0, 255)},
      {"--serial",
       [](const std::string& v, Reglages& r) {
         return LireEntier<std::uint32_t>(v, 0, UINT32_MAX, r.appareil.numeroSerie);
       }},
      {"--version", [](const std::string& v, Reglages& r) { return LireVersion(v, r.appareil); }},
      {"--ready-after", Compte(&Options::pretApresAppels)},
      {"--bad-ack-at", Compte(&Options::mauvaisAcquitEcriture)},
      {"--lose-byte", Compte(&Options::octetPerdu)},
      {"--corrupt-byte", Compte(&Options::octetCorrompu)},
      {"--hangup-at", Compte(&Options::raccrocherEcriture)},
      {"--slow-flash", Compte(&Options::flashLentMs, 0, 60'000)},
      {"--timeout", [](const std::string& v, Reglages& r) { return LireSecondes(v, r.delaiS); }},
      {"--report",
       [](const std::string& v, Reglages& r) {
         r.fichierRapport = v;
         return !v.empty();
       }},
  };
  return table;
}

// Options without a value.
const std::map<std::string, std::function<void(Reglages&)>>& Drapeaux() {
  static const std::map<std::string, std::function<void(Reglages&)>> table = {
      {"--no-address-mask", [](Reglages& r) { r.appareil.masquerAdresse = false; }},
      {"--silent", [](Reglages& r) { r.appareil.muet = true; }},
      {"--end-request", [](Reglages& r) { r.appareil.demandeFin = true; }},
      {"--no-pacing", [](Reglages& r) { r.rythme = false; }},
      {"--stay", [](Reglages& r) { r.rester = true; }},
  };
  return table;
}

}  // namespace

std::string_view TexteAide() { return kAide; }

Analyse AnalyserLigne(int argc, const char* const* argv, Reglages& reglages, std::string& erreur) {
  for (int i = 1; i < argc; ++i) {
    std::string nom = argv[i];
    std::optional<std::string> valeur;
    if (const auto egal = nom.find('='); nom.rfind("--", 0) == 0 && egal != std::string::npos) {
      valeur = nom.substr(egal + 1);
      nom.resize(egal);
    }
    if (nom == "--help" && !valeur) return Analyse::Aide;
    if (auto d = Drapeaux().find(nom); d != Drapeaux().end() && !valeur) {
      d->second(reglages);
      continue;
    }
    auto a = AvecValeur().find(nom);
    if (a == AvecValeur().end()) {
      erreur = (Drapeaux().count(nom) || nom == "--help") ? "option " + nom + " takes no value"
                                                          : "unknown option '" + nom + "'";
      return Analyse::Erreur;
    }
    if (!valeur) {
      if (i + 1 >= argc) {
        erreur = "option " + nom + " needs a value";
        return Analyse::Erreur;
      }
      valeur = argv[++i];
    }
    if (!a->second(*valeur, reglages)) {
      erreur = "bad value '" + *valeur + "' for " + nom + " (see --help)";
      return Analyse::Erreur;
    }
  }
  return Analyse::Servir;
}

}  // namespace sim
