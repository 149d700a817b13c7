// The pty side of zt-bootloader-sim: takes the host's bytes off the master,
// feeds them to the Chargeur at the times a 9600 8E1 line would deliver them,
// and writes its answers back no faster than the line would carry them.
//
// Time is CLOCK_MONOTONIC in µs from the start. A host byte read at `t`
// started on the line at max(t, end of the previous host byte) and is wholly
// received one character time later; a device byte ready at `p` starts at
// max(p, end of the previous device byte) and is written to the master when
// its last bit would arrive. Every wait is one ppoll() up to the earliest of
// these absolute deadlines; nothing spins.
#pragma once

#include <csignal>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/Chargeur.h"
#include "sim/LigneCommande.h"
#include "sim/Pty.h"

namespace sim {

class Serveur {
 public:
  static constexpr std::uint64_t kCaractereUs = 1146;  // 11 bits at 9600 baud
  static constexpr std::uint64_t kGraceUs = 100'000;   // a host that sends again within it stays
  static constexpr std::uint64_t kSondageUs = 20'000;  // see Attendre

  Serveur(Pty& pty, Chargeur& chargeur, const Reglages& reglages);

  // Serves until the run ends, then adds the program's members to the
  // chargeur's report. Returns why the run ended.
  std::string Servir();

 private:
  std::uint64_t Maintenant() const;
  // Writes the answers that are due; gives when the next one is, if any.
  std::optional<std::uint64_t> Emettre(std::uint64_t maintenant);
  // Takes every byte waiting on the master; false once the host has hung up.
  bool Lire();
  void Recevoir(std::uint8_t octet, std::uint64_t arrivee);
  void Raccrochage(std::uint64_t maintenant);
  // Waits for the host or `echeance`; gives the master's poll events (0: time out or signal).
  short Attendre(std::optional<std::uint64_t> echeance);
  std::optional<std::string> Fini(std::uint64_t maintenant) const;
  void Annexer(const std::string& raison);

  Pty& pty_;
  Chargeur& chargeur_;
  const Reglages& reglages_;
  const std::uint64_t caractereUs_;
  std::uint64_t origineNs_ = 0;
  sigset_t masqueAttente_{};

  bool hote_ = false;          // a host is attached: it sent a byte since it (re)opened
  bool hupVu_ = false;         // the master reported POLLHUP at its last poll
  std::uint64_t finRxUs_ = 0;  // when the last host byte was wholly received
  std::uint64_t finTxUs_ = 0;  // when the last device byte was wholly sent
  std::optional<std::uint64_t> raccrocheUs_;  // when the last host left
  int attachements_ = 0;
  std::vector<std::string> lignes_;  // the line settings at each attachment
  std::uint64_t octetsLus_ = 0;
  std::uint64_t octetsEcrits_ = 0;
  std::uint64_t perdusSansHote_ = 0;  // answers due while no host listened
  int nonTenu_ = 0;                   // hang-ups after which the slave could not be held again
  std::uint64_t retardTotalUs_ = 0;   // how late our writes were, against the line's time
  std::uint64_t retardMaxUs_ = 0;
};

}  // namespace sim
