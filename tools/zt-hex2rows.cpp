// zt-hex2rows HEX OUT: writes OUT, the C++ source of the firmware row table,
// from the Intel HEX file HEX. Any record the device could not take stops the
// build with "HEX:LINE: reason", and OUT is then left as it was.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "tools/VerificationHex.h"

namespace {

bool Lire(const std::string& chemin, std::string& contenu) {
  std::ifstream fichier(chemin, std::ios::binary);
  if (!fichier) return false;
  contenu.assign(std::istreambuf_iterator<char>(fichier), std::istreambuf_iterator<char>());
  return !fichier.bad();
}

// Written beside OUT, then renamed over it, so a failed run never leaves a
// half-written source that a later build would take as up to date.
bool Ecrire(const std::string& chemin, const std::string& contenu) {
  const std::string provisoire = chemin + ".tmp";
  {
    std::ofstream fichier(provisoire, std::ios::binary | std::ios::trunc);
    fichier << contenu;
    if (!fichier.flush()) return false;
  }
  std::error_code erreur;
  std::filesystem::rename(provisoire, chemin, erreur);
  return !erreur;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: zt-hex2rows HEX OUT\n";
    return 2;
  }
  const std::string entree = argv[1];
  const std::string sortie = argv[2];
  std::string contenu;
  if (!Lire(entree, contenu)) {
    std::cerr << entree << ": cannot read the file\n";
    return 1;
  }
  const hex::Verification verification = hex::VerifierFichier(contenu);
  if (verification.refus) {
    std::cerr << entree << ':' << verification.refus->ligne << ": " << verification.refus->raison << '\n';
    return 1;
  }
  const std::string nom = std::filesystem::path(entree).filename().string();
  if (!Ecrire(sortie, hex::SourceImage(verification.enregistrements, nom))) {
    std::cerr << sortie << ": cannot write the file\n";
    return 1;
  }
  return 0;
}
