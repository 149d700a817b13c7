// Reads the simulator's JSON report after an end-to-end run and checks what
// the device received: for a whole update, every program word of the image
// and the version stamp 1.2; for a refusal, no unlock and no word at all.
// Prints what differs and exits non-zero on any difference.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "tests/integration/LecteurJson.h"
#include "tests/commun/MiseAJour.h"

namespace {

int Compter(const Json& rapport, const char* commande) {
  const Json& commandes = rapport["commandes"];
  return commandes.Contient(commande) ? static_cast<int>(commandes[commande].Entier()) : 0;
}

int VerifierMiseAJour(const Json& rapport) {
  int ecarts = 0;
  const auto attendus = MotsDeLImage();
  const auto& mots = rapport["mots"].Elements();
  if (mots.size() != attendus.size()) {
    std::cout << "words written: " << mots.size() << ", image: " << attendus.size() << "\n";
    ++ecarts;
  }
  for (const Json& mot : mots) {
    const auto adresse = static_cast<std::uint32_t>(mot["adresse"].Entier());
    const auto valeur = mot["valeur"].Entier();
    auto it = attendus.find(adresse);
    if (it == attendus.end() || it->second != valeur) {
      if (++ecarts < 10) std::cout << "word at " << adresse << " = " << valeur << "\n";
    }
  }
  if (rapport["versionMajeure"].Entier() != 1 || rapport["versionMineure"].Entier() != 2) {
    std::cout << "version stamp not 1.2\n";
    ++ecarts;
  }
  if (Compter(rapport, "0x91") != 1) {
    std::cout << "start command sent " << Compter(rapport, "0x91") << " times\n";
    ++ecarts;
  }
  return ecarts;
}

int VerifierRefus(const Json& rapport) {
  int ecarts = 0;
  for (const char* interdite : {"0x83", "0x90", "0x8D", "0x8B", "0x91"}) {
    if (Compter(rapport, interdite) != 0) {
      std::cout << "refused device still got " << interdite << "\n";
      ++ecarts;
    }
  }
  if (Compter(rapport, "0x04") < 1) {
    std::cout << "no end of session after the refusal\n";
    ++ecarts;
  }
  return ecarts;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || (std::string(argv[1]) != "update" && std::string(argv[1]) != "refusal")) {
    std::cerr << "usage: verifier_rapport update|refusal REPORT.json\n";
    return 2;
  }
  std::ifstream fichier(argv[2]);
  std::stringstream texte;
  texte << fichier.rdbuf();
  try {
    const Json rapport = Json::Lire(texte.str());
    int ecarts = std::string(argv[1]) == "update" ? VerifierMiseAJour(rapport) : VerifierRefus(rapport);
    if (rapport["nbViolations"].Entier() != 0) {
      std::cout << rapport["nbViolations"].Entier() << " protocol violations\n";
      ++ecarts;
    }
    std::cout << (ecarts == 0 ? "report OK\n" : "report differs\n");
    return ecarts == 0 ? 0 : 1;
  } catch (const std::exception& e) {
    std::cout << "bad report: " << e.what() << "\n";
    return 1;
  }
}
