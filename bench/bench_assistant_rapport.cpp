#include "bench/bench_assistant_rapport.h"

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>

#include "tests/commun/MiseAJour.h"

namespace {

void Exiger(bool condition, const std::string& quoi) {
  if (!condition) throw std::runtime_error("the update went wrong: " + quoi);
}

std::map<std::uint32_t, std::uint16_t> MotsDuRapport(const Json& rapport) {
  std::map<std::uint32_t, std::uint16_t> mots;
  for (const Json& mot : rapport["mots"].Elements())
    mots[static_cast<std::uint32_t>(mot["adresse"].Entier())] =
        static_cast<std::uint16_t>(mot["valeur"].Entier());
  return mots;
}

}  // namespace

InstantsDuFil LireInstantsDuFil(const Json& rapport) {
  Exiger(rapport["nbViolations"].Entier() == 0, "the simulator saw protocol violations");
  Exiger(MotsDuRapport(rapport) == MotsDeLImage(), "the program memory differs from the image");
  Exiger(rapport["versionMajeure"].Entier() == 1 && rapport["versionMineure"].Entier() == 2,
         "version 1.2 was not stamped");
  Exiger(rapport["applicationLancee"].Booleen(), "the start command was not accepted");
  const Json& commandes = rapport["commandes"];
  Exiger(commandes.Contient("0x91") && commandes["0x91"].Entier() == 1,
         "the start command did not come exactly once");
  const Json& instants = rapport["commandesUs"];
  return {instants["0x80"]["premierUs"].Entier(), instants["0x91"]["dernierUs"].Entier()};
}
