#include "sim/Chargeur.h"

#include <cstdio>
#include <utility>

#include "sim/Json.h"

namespace sim {

namespace {

constexpr std::uint8_t kFin = 0x04;
constexpr std::uint8_t kAppel = 0x80;
constexpr std::uint8_t kPret = 0x81;
constexpr std::uint8_t kDeverrouiller = 0x83;
constexpr std::uint8_t kAcquit = 0x84;
constexpr std::uint8_t kDemandeFin = 0x85;
constexpr std::uint8_t kLireModele = 0x86;
constexpr std::uint8_t kLireVersion = 0x87;
constexpr std::uint8_t kLireEeprom = 0x89;
constexpr std::uint8_t kEcrireEeprom = 0x8B;
constexpr std::uint8_t kEcrireMot = 0x8D;
constexpr std::uint8_t kProgrammer = 0x90;
constexpr std::uint8_t kLancer = 0x91;

constexpr std::uint8_t kMasqueHaut = 0x4D;
constexpr std::uint8_t kMasqueBas = 0xA6;
constexpr std::uint32_t kPremierMot = 48;    // below: the boot loader's own words
constexpr std::uint32_t kDernierMot = 8191;  // 8K words of program memory
constexpr std::uint32_t kMotMax = 0x3FFF;    // program words are 14 bits wide

constexpr int kNumeroSerie = 241;
constexpr int kVersionMajeure = 245;
constexpr int kVersionMineure = 246;

// A byte that starts a command wherever it comes: the device resynchronises on it.
bool EstCommande(std::uint8_t b) { return b >= 0x80 || b == kFin; }

bool EstChiffre(std::uint8_t b) { return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'F'); }

int ValeurChiffre(std::uint8_t b) { return b <= '9' ? b - '0' : b - 'A' + 10; }

std::uint8_t Chiffre(int d) { return static_cast<std::uint8_t>(d < 10 ? '0' + d : 'A' + d - 10); }

std::string Hexa(unsigned valeur, int largeur = 2) {
  char texte[16];
  std::snprintf(texte, sizeof texte, "0x%0*X", largeur, valeur);
  return texte;
}

// Digits expected after each command byte that takes parameters.
std::size_t ChiffresDe(std::uint8_t commande) {
  switch (commande) {
    case kLireEeprom:
      return 2;
    case kEcrireEeprom:
      return 4;
    case kEcrireMot:
      return 8;
    default:
      return 0;
  }
}

bool EstConnue(std::uint8_t c) {
  switch (c) {
    case kFin:
    case kAppel:
    case kDeverrouiller:
    case kLireModele:
    case kLireVersion:
    case kLireEeprom:
    case kEcrireEeprom:
    case kEcrireMot:
    case kProgrammer:
    case kLancer:
      return true;
    default:
      return false;
  }
}

}  // namespace

Chargeur::Chargeur(Options options) : options_(std::move(options)) {
  rapport_.eeprom.fill(0xFF);
  for (int i = 0; i < 4; ++i)
    rapport_.eeprom[kNumeroSerie + i] = static_cast<std::uint8_t>(options_.numeroSerie >> (8 * i));
  rapport_.eeprom[kVersionMajeure] = static_cast<std::uint8_t>(options_.versionMajeure);
  rapport_.eeprom[kVersionMineure] = static_cast<std::uint8_t>(options_.versionMineure);
}

void Chargeur::Recevoir(std::uint8_t octet, std::uint64_t us) {
  ++octetsHote_;
  if (raccroche_) return;
  if (octetsHote_ == static_cast<std::uint64_t>(options_.octetPerdu)) return;
  if (octetsHote_ == static_cast<std::uint64_t>(options_.octetCorrompu))
    octet ^= options_.masqueCorruption;
  ++rapport_.octetsRecus;
  octet_ = octet;
  us_ = us;
  Traiter(octet);
}

std::optional<Chargeur::Emission> Chargeur::Prochain() const {
  if (sortie_.empty()) return std::nullopt;
  return sortie_.front();
}

void Chargeur::Retirer() {
  if (!sortie_.empty()) sortie_.pop_front();
}

void Chargeur::Purger() { sortie_.clear(); }

bool Chargeur::Raccroche() const { return raccroche_; }

const Rapport& Chargeur::LeRapport() const { return rapport_; }

void Chargeur::Annexer(const std::string& nom, std::string json) {
  rapport_.annexes[nom] = std::move(json);
}

void Chargeur::Traiter(std::uint8_t octet) {
  switch (etat_) {
    case Etat::Attente:
      if (EstCommande(octet))
        DebuterCommande(octet);
      else
        Violation("unexpected byte outside a command");
      break;
    case Etat::Parametres:
      if (EstCommande(octet)) {
        Abandonner(Hexa(commande_) + " cut short after " + std::to_string(chiffres_.size()) +
                   " of " + std::to_string(attendus_) + " digits");
        DebuterCommande(octet);
      } else {
        Parametre(octet);
      }
      break;
    case Etat::Acquit:
      AcquitDuChiffre(octet);
      break;
  }
}

void Chargeur::DebuterCommande(std::uint8_t c) {
  if (c == kAcquit) return Violation("ACQUIT outside an answer");
  if (!EstConnue(c)) return Violation("unknown command");
  ++rapport_.commandes[Hexa(c)];
  const auto [instants, premier] = rapport_.instantsCommandes.try_emplace(Hexa(c), us_, us_);
  if (!premier) instants->second.dernierUs = us_;
  commande_ = c;
  if (const std::size_t n = ChiffresDe(c)) {
    etat_ = Etat::Parametres;
    chiffres_.clear();
    attendus_ = n;
    refusee_ = !Autorisee(c);
    return;
  }
  switch (c) {
    case kAppel:
      return Appel();
    case kFin:
      return Fin();
    case kDeverrouiller:
      return Deverrouiller();
    case kProgrammer:
      return Programmer();
    case kLancer:
      return Lancer();
    case kLireModele: {
      if (!Autorisee(c)) return;
      std::vector<std::uint8_t> code(3, 0);
      for (std::size_t i = 0; i < 3 && i < options_.codeModele.size(); ++i)
        code[i] = static_cast<std::uint8_t>(options_.codeModele[i]);
      return EnvoyerPaires(std::move(code));
    }
    case kLireVersion:
      if (!Autorisee(c)) return;
      return EnvoyerPaires({static_cast<std::uint8_t>(options_.versionChargeur)});
  }
}

void Chargeur::Parametre(std::uint8_t octet) {
  if (!EstChiffre(octet))
    return Abandonner("non-hex character in a parameter of " + Hexa(commande_));
  chiffres_.push_back(octet);
  if (chiffres_.size() < attendus_) return;
  etat_ = Etat::Attente;
  if (!refusee_) Executer();
}

void Chargeur::AcquitDuChiffre(std::uint8_t octet) {
  if (octet != kAcquit) {
    Violation(std::string("expected ACQUIT after the ") + (chiffreBas_ ? "low" : "high") +
              " digit of pair " + std::to_string(paire_ + 1) + " of " +
              std::to_string(paires_.size()) + " (answer to " + Hexa(commande_) + ")");
    etat_ = Etat::Attente;
    if (EstCommande(octet)) DebuterCommande(octet);
    return;
  }
  if (!chiffreBas_) {
    chiffreBas_ = true;
  } else {
    chiffreBas_ = false;
    if (++paire_ == paires_.size()) {
      etat_ = Etat::Attente;
      return;
    }
  }
  EmettreChiffre();
}

void Chargeur::Executer() {
  switch (commande_) {
    case kLireEeprom:
      return LireEeprom();
    case kEcrireEeprom:
      return EcrireEeprom();
    case kEcrireMot:
      return EcrireMot();
  }
}

void Chargeur::Appel() {
  ++appels_;
  if (options_.muet || appels_ < options_.pretApresAppels) return;
  if (options_.demandeFin && !finDemandee_) {
    finDemandee_ = true;
    return Emettre(kDemandeFin, us_);
  }
  session_ = true;
  Emettre(kPret, us_);
}

void Chargeur::Fin() {
  session_ = false;
  mode_ = 0;
  Emettre(kAcquit, us_);
}

void Chargeur::Deverrouiller() {
  if (!Autorisee(kDeverrouiller)) return;
  mode_ = 2;
  Emettre(kAcquit, us_);
}

void Chargeur::Programmer() {
  if (!Autorisee(kProgrammer)) return;
  mode_ = 3;
  Emettre(kAcquit, us_);
}

void Chargeur::Lancer() {
  if (!Autorisee(kLancer)) return;
  rapport_.applicationLancee = true;
}

void Chargeur::LireEeprom() { EnvoyerPaires({rapport_.eeprom[ValeurPaire(0)]}); }

void Chargeur::EcrireEeprom() {
  rapport_.eeprom[ValeurPaire(0)] = ValeurPaire(1);
  Emettre(kAcquit, us_);
}

// The scrambled program-word write: undoes the masks, then checks that what
// comes out is a program word at a program address; a wrong or missing mask
// on the host's side shows here.
void Chargeur::EcrireMot() {
  const int n = ++rapport_.ecrituresMot;
  std::uint8_t haut = ValeurPaire(0), bas = ValeurPaire(1);
  if (options_.masquerAdresse) {
    haut ^= kMasqueHaut;
    bas ^= kMasqueBas;
  }
  const std::uint32_t adresse = (std::uint32_t{haut} << 8) | bas;
  const std::uint32_t mot = (std::uint32_t(ValeurPaire(2) ^ kMasqueHaut) << 8) |
                            std::uint32_t(ValeurPaire(3) ^ kMasqueBas);
  const std::uint64_t pret = us_ + 1000ull * static_cast<std::uint64_t>(options_.flashLentMs);
  if (n == options_.raccrocherEcriture) {
    raccroche_ = true;
    raccrocheUs_ = us_;
    return;
  }
  if (n == options_.mauvaisAcquitEcriture) return Emettre(options_.mauvaisAcquit, pret);
  bool correct = true;
  if (adresse < kPremierMot || adresse > kDernierMot) {
    Violation("word write at address " + std::to_string(adresse) + ", outside " +
              std::to_string(kPremierMot) + ".." + std::to_string(kDernierMot) +
              " (a missing or wrong mask?)");
    correct = false;
  }
  if (mot > kMotMax) {
    Violation("word write of " + Hexa(mot, 4) + " at address " + std::to_string(adresse) +
              ": more than 14 bits (a missing or wrong mask?)");
    correct = false;
  }
  if (correct) rapport_.mots[adresse] = static_cast<std::uint16_t>(mot);
  Emettre(kAcquit, pret);
}

bool Chargeur::Autorisee(std::uint8_t commande) {
  const std::string nom = Hexa(commande);
  if (!session_) {
    Violation(nom + " without a session (the poll was not answered)");
    return false;
  }
  if (commande == kProgrammer && mode_ != 2) {
    Violation(nom + " outside unlocked mode (mode " + std::to_string(mode_) + ")");
    return false;
  }
  if ((commande == kEcrireMot || commande == kLancer) && mode_ != 3) {
    Violation(nom + " outside programming mode (mode " + std::to_string(mode_) + ")");
    return false;
  }
  return true;
}

void Chargeur::Emettre(std::uint8_t octet, std::uint64_t us) {
  if (options_.muet || raccroche_) return;
  sortie_.push_back({octet, us});
  ++rapport_.octetsEmis;
}

void Chargeur::EnvoyerPaires(std::vector<std::uint8_t> valeurs) {
  if (options_.muet) return;
  paires_ = std::move(valeurs);
  paire_ = 0;
  chiffreBas_ = false;
  etat_ = Etat::Acquit;
  EmettreChiffre();
}

void Chargeur::EmettreChiffre() {
  const std::uint8_t v = paires_[paire_];
  Emettre(Chiffre(chiffreBas_ ? v & 0x0F : v >> 4), us_);
}

std::uint8_t Chargeur::ValeurPaire(int index) const {
  return static_cast<std::uint8_t>(16 * ValeurChiffre(chiffres_[2 * index]) +
                                   ValeurChiffre(chiffres_[2 * index + 1]));
}

void Chargeur::Abandonner(const std::string& pourquoi) {
  Violation(pourquoi);
  etat_ = Etat::Attente;
}

void Chargeur::Violation(const std::string& texte) {
  char contexte[64];
  std::snprintf(contexte, sizeof contexte, "byte %llu (0x%02X) at %llu us: ",
                static_cast<unsigned long long>(rapport_.octetsRecus), octet_,
                static_cast<unsigned long long>(us_));
  rapport_.violations.push_back(contexte + texte);
}

std::string Chargeur::EnCours() const {
  switch (etat_) {
    case Etat::Attente:
      return "";
    case Etat::Parametres:
      return Hexa(commande_) + ": " + std::to_string(chiffres_.size()) + " of " +
             std::to_string(attendus_) + " digits received";
    case Etat::Acquit:
      return Hexa(commande_) + ": waiting for ACQUIT of the " + (chiffreBas_ ? "low" : "high") +
             " digit of pair " + std::to_string(paire_ + 1) + " of " +
             std::to_string(paires_.size());
  }
  return "";
}

}  // namespace sim
