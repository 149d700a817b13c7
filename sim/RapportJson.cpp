// The simulator's report as JSON: what the device ended up holding, what the
// host sent, and every rule the host broke.
#include <cstdio>

#include "sim/Chargeur.h"
#include "sim/Json.h"

namespace sim {

namespace {

std::string Membre(const char* nom, const std::string& valeur) {
  return std::string("  ") + JsonTexte(nom) + ": " + valeur;
}

std::string Mots(const std::map<std::uint32_t, std::uint16_t>& mots) {
  if (mots.empty()) return "[]";
  std::string json = "[";
  const char* separateur = "\n";
  for (const auto& [adresse, valeur] : mots) {
    json += separateur;
    json += "    {\"adresse\": " + std::to_string(adresse) +
            ", \"valeur\": " + std::to_string(valeur) + "}";
    separateur = ",\n";
  }
  return json + "\n  ]";
}

std::string Textes(const std::vector<std::string>& textes) {
  if (textes.empty()) return "[]";
  std::string json = "[";
  const char* separateur = "\n";
  for (const std::string& t : textes) {
    json += separateur;
    json += "    " + JsonTexte(t);
    separateur = ",\n";
  }
  return json + "\n  ]";
}

std::string Compteurs(const std::map<std::string, int>& compteurs) {
  std::string json = "{";
  const char* separateur = "";
  for (const auto& [nom, n] : compteurs) {
    json += separateur + JsonTexte(nom) + ": " + std::to_string(n);
    separateur = ", ";
  }
  return json + "}";
}

std::string Eeprom(const std::array<std::uint8_t, 256>& e) {
  std::string json = "{";
  for (int a = 241; a <= 246; ++a)
    json += (a == 241 ? "" : ", ") + JsonTexte(std::to_string(a)) + ": " + std::to_string(e[a]);
  return json + "}";
}

std::string EepromHexa(const std::array<std::uint8_t, 256>& e) {
  std::string hexa;
  char paire[3];
  for (std::uint8_t b : e) {
    std::snprintf(paire, sizeof paire, "%02X", b);
    hexa += paire;
  }
  return JsonTexte(hexa);
}

std::uint32_t NumeroSerie(const std::array<std::uint8_t, 256>& e) {
  return e[241] | (e[242] << 8) | (e[243] << 16) | (std::uint32_t{e[244]} << 24);
}

}  // namespace

std::string Chargeur::RapportJson() const {
  const Rapport& r = rapport_;
  const std::string enCours = EnCours();
  const std::string appareil =
      "{\"modele\": " + JsonTexte(options_.codeModele) +
      ", \"versionChargeur\": " + std::to_string(options_.versionChargeur) +
      ", \"masquerAdresse\": " + JsonBooleen(options_.masquerAdresse) + "}";
  const std::string defauts =
      std::string("{\"muet\": ") + JsonBooleen(options_.muet) +
      ", \"pretApresAppels\": " + std::to_string(options_.pretApresAppels) +
      ", \"demandeFin\": " + JsonBooleen(options_.demandeFin) +
      ", \"mauvaisAcquitEcriture\": " + std::to_string(options_.mauvaisAcquitEcriture) +
      ", \"octetPerdu\": " + std::to_string(options_.octetPerdu) +
      ", \"octetCorrompu\": " + std::to_string(options_.octetCorrompu) +
      ", \"raccrocherEcriture\": " + std::to_string(options_.raccrocherEcriture) +
      ", \"flashLentMs\": " + std::to_string(options_.flashLentMs) + "}";

  std::vector<std::string> membres = {
      Membre("appareil", appareil),
      Membre("defauts", defauts),
      Membre("session", JsonBooleen(session_)),
      Membre("mode", std::to_string(mode_)),
      Membre("raccroche", JsonBooleen(raccroche_)),
      Membre("applicationLancee", JsonBooleen(r.applicationLancee)),
      Membre("octetsRecus", std::to_string(r.octetsRecus)),
      Membre("octetsEmis", std::to_string(r.octetsEmis)),
      Membre("commandes", Compteurs(r.commandes)),
      Membre("ecrituresMot", std::to_string(r.ecrituresMot)),
      Membre("nbMots", std::to_string(r.mots.size())),
      Membre("mots", Mots(r.mots)),
      Membre("eeprom", Eeprom(r.eeprom)),
      Membre("numeroSerie", std::to_string(NumeroSerie(r.eeprom))),
      Membre("versionMajeure", std::to_string(r.eeprom[245])),
      Membre("versionMineure", std::to_string(r.eeprom[246])),
      Membre("eepromHexa", EepromHexa(r.eeprom)),
      Membre("enCours", enCours.empty() ? "null" : JsonTexte(enCours)),
      Membre("nbViolations", std::to_string(r.violations.size())),
      Membre("violations", Textes(r.violations)),
  };
  for (const auto& [nom, valeur] : r.annexes) membres.push_back(Membre(nom.c_str(), valeur));

  std::string json = "{\n";
  for (std::size_t i = 0; i < membres.size(); ++i)
    json += membres[i] + (i + 1 < membres.size() ? ",\n" : "\n");
  return json + "}\n";
}

}  // namespace sim
