// The device side of the boot-loader protocol: what the Orvalis ZT's boot
// loader answers, checked as it answers. It does no I/O of its own: the
// in-process fake port and the pty program feed it bytes and take its answers.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace sim {

struct Options {
  std::string codeModele = "K02";         // three characters answered to 0x86 (shorter: NUL-padded)
  int versionChargeur = 1;                // answered to 0x87
  std::uint32_t numeroSerie = 212345678;  // EEPROM 241..244, little-endian
  int versionMajeure = 1;                 // EEPROM 245
  int versionMineure = 1;                 // EEPROM 246
  bool masquerAdresse = true;             // false for a model-row-0 device: address bytes go clear

  // Faults. Counts are 1-based; 0 means never.
  bool muet = false;              // never answers anything
  int pretApresAppels = 1;        // answers REP_PRET from this poll on; earlier polls get nothing
  bool demandeFin = false;        // answers the first poll with 0x85 instead
  int mauvaisAcquitEcriture = 0;  // answers a byte other than ACQUIT to word write N
  int octetPerdu = 0;             // the Nth byte from the host never reaches the device
  int octetCorrompu = 0;          // the Nth byte from the host arrives with its bits flipped
  int raccrocherEcriture = 0;     // hangs up instead of acknowledging word write N
  int flashLentMs = 0;            // milliseconds each program-word write takes before its ACQUIT

  // Details of the faults (additions).
  std::uint8_t masqueCorruption = 0xFF;  // the bits flipped in the corrupted byte
  std::uint8_t mauvaisAcquit = 0x00;     // what is answered instead of ACQUIT to word write N
};

struct Rapport {
  std::map<std::uint32_t, std::uint16_t> mots;  // word address -> unscrambled value
  std::array<std::uint8_t, 256> eeprom{};
  std::map<std::string, int> commandes;  // "0x8D" -> count
  std::vector<std::string> violations;   // protocol rules the host broke

  // Additions.
  std::uint64_t octetsRecus = 0;   // bytes that reached the device (lost ones excluded)
  std::uint64_t octetsEmis = 0;    // bytes the device queued for sending
  int ecrituresMot = 0;            // complete word writes received in programming mode
  bool applicationLancee = false;  // 0x91 accepted
  // When each command byte was taken in, first and last time, on the
  // caller's clock: what a benchmark times the host's sequence by.
  struct Instants {
    std::uint64_t premierUs = 0;
    std::uint64_t dernierUs = 0;
  };
  std::map<std::string, Instants> instantsCommandes;  // "0x80" -> its instants
  // Members the host program adds to the JSON report, name -> JSON value text.
  std::map<std::string, std::string> annexes;
};

class Chargeur {
 public:
  struct Emission {
    std::uint8_t octet;
    std::uint64_t pretUs;  // when the device starts to send it
  };

  explicit Chargeur(Options options = {});

  // One byte from the host, wholly received at `us` (the caller's clock, in µs).
  void Recevoir(std::uint8_t octet, std::uint64_t us);
  // The next byte to send, if any; Retirer once the caller has taken it.
  std::optional<Emission> Prochain() const;
  void Retirer();
  // The host purged its input: answers not yet taken are lost.
  void Purger();
  // A hang-up fault has fired.
  bool Raccroche() const;
  // When it fired (meaningful once Raccroche() is true). Addition.
  std::uint64_t RaccrocheUs() const { return raccrocheUs_; }

  // State, for tests and the report. Additions.
  bool SessionOuverte() const { return session_; }
  int Mode() const { return mode_; }
  // What the device is in the middle of, or empty when it waits for a command.
  std::string EnCours() const;

  // Adds (or replaces) a member of the JSON report: `json` is a JSON value. Addition.
  void Annexer(const std::string& nom, std::string json);

  const Rapport& LeRapport() const;
  std::string RapportJson() const;

 private:
  enum class Etat {
    Attente,     // waiting for a command byte
    Parametres,  // taking the hex digits of a command's parameters
    Acquit,      // sent a digit, waiting for the host's ACQUIT
  };

  void Traiter(std::uint8_t octet);
  void DebuterCommande(std::uint8_t octet);
  void Parametre(std::uint8_t octet);
  void AcquitDuChiffre(std::uint8_t octet);
  void Executer();
  void Appel();
  void Fin();
  void Deverrouiller();
  void Programmer();
  void LireEeprom();
  void EcrireEeprom();
  void EcrireMot();
  void Lancer();

  // Can the command run? Records the violation when it cannot.
  bool Autorisee(std::uint8_t commande);
  void Emettre(std::uint8_t octet, std::uint64_t us);
  void EnvoyerPaires(std::vector<std::uint8_t> valeurs);
  void EmettreChiffre();
  std::uint8_t ValeurPaire(int index) const;
  void Abandonner(const std::string& pourquoi);
  void Violation(const std::string& texte);

  Options options_;
  Rapport rapport_;
  std::deque<Emission> sortie_;

  bool session_ = false;
  int mode_ = 0;
  int appels_ = 0;
  bool finDemandee_ = false;
  bool raccroche_ = false;
  std::uint64_t raccrocheUs_ = 0;
  std::uint64_t octetsHote_ = 0;  // every byte the host sent, lost ones included

  // The byte being handled.
  std::uint8_t octet_ = 0;
  std::uint64_t us_ = 0;

  Etat etat_ = Etat::Attente;
  std::uint8_t commande_ = 0;
  bool refusee_ = false;  // parameters are taken but the command will not run
  std::vector<std::uint8_t> chiffres_;
  std::size_t attendus_ = 0;

  std::vector<std::uint8_t> paires_;  // values being sent
  std::size_t paire_ = 0;
  bool chiffreBas_ = false;  // the digit awaiting its ACQUIT is the low one
};

}  // namespace sim
