// The device side of the boot-loader protocol: what the Orvalis ZT's boot
// loader answers, checked as it answers. It does no I/O of its own: the
// in-process fake port and the pty program feed it bytes and take its answers.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace sim {

struct Options {
  std::string codeModele = "K02";      // three characters answered to 0x86
  int versionChargeur = 1;             // answered to 0x87
  std::uint32_t numeroSerie = 212345678;  // EEPROM 241..244, little-endian
  int versionMajeure = 1;              // EEPROM 245
  int versionMineure = 1;              // EEPROM 246
  bool masquerAdresse = true;          // false for a model-row-0 device: address bytes go clear

  // Faults. Counts are 1-based; 0 means never.
  bool muet = false;                // never answers anything
  int pretApresAppels = 1;          // answers REP_PRET from this poll on; earlier polls get nothing
  bool demandeFin = false;          // answers the first poll with 0x85 instead
  int mauvaisAcquitEcriture = 0;    // answers a byte other than ACQUIT to word write N
  int octetPerdu = 0;               // the Nth byte from the host never reaches the device
  int octetCorrompu = 0;            // the Nth byte from the host arrives with its bits flipped
  int raccrocherEcriture = 0;       // hangs up instead of acknowledging word write N
  int flashLentMs = 0;              // milliseconds each program-word write takes before its ACQUIT
};

struct Rapport {
  std::map<std::uint32_t, std::uint16_t> mots;  // word address -> unscrambled value
  std::array<std::uint8_t, 256> eeprom{};
  std::map<std::string, int> commandes;          // "0x8D" -> count
  std::vector<std::string> violations;           // protocol rules the host broke
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

  const Rapport& LeRapport() const;
  std::string RapportJson() const;
};

}  // namespace sim
