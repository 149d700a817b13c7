#include "sim/Serveur.h"

#include <poll.h>
#include <sys/prctl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "sim/Json.h"

namespace sim {

namespace {

volatile std::sig_atomic_t gSignal = 0;

void SurSignal(int numero) { gSignal = numero; }

std::optional<std::uint64_t> PlusTot(std::optional<std::uint64_t> a,
                                     std::optional<std::uint64_t> b) {
  if (!a) return b;
  if (!b) return a;
  return std::min(*a, *b);
}

}  // namespace

Serveur::Serveur(Pty& pty, Chargeur& chargeur, const Reglages& reglages)
    : pty_(pty),
      chargeur_(chargeur),
      reglages_(reglages),
      caractereUs_(reglages.rythme ? kCaractereUs : 0) {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  origineNs_ = std::uint64_t(t.tv_sec) * 1'000'000'000u + std::uint64_t(t.tv_nsec);
  // Wake-ups within a microsecond of their deadline instead of the default 50.
  prctl(PR_SET_TIMERSLACK, 1000UL, 0UL, 0UL, 0UL);
  // SIGINT and SIGTERM are blocked except inside ppoll(), which they end; the
  // loop then stops and the report is written.
  sigset_t signaux;
  sigemptyset(&signaux);
  sigaddset(&signaux, SIGINT);
  sigaddset(&signaux, SIGTERM);
  sigprocmask(SIG_BLOCK, &signaux, &masqueAttente_);
  sigdelset(&masqueAttente_, SIGINT);
  sigdelset(&masqueAttente_, SIGTERM);
  struct sigaction action {};
  action.sa_handler = SurSignal;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

std::uint64_t Serveur::Maintenant() const {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (std::uint64_t(t.tv_sec) * 1'000'000'000u + std::uint64_t(t.tv_nsec) - origineNs_) / 1000;
}

std::string Serveur::Servir() {
  const std::optional<std::uint64_t> delai =
      reglages_.delaiS ? std::optional<std::uint64_t>(std::uint64_t(*reglages_.delaiS * 1e6))
                       : std::nullopt;
  std::string raison;
  for (;;) {
    const std::uint64_t maintenant = Maintenant();
    if (auto fin = Fini(maintenant)) {
      raison = *fin;
      break;
    }
    std::optional<std::uint64_t> echeance = PlusTot(Emettre(maintenant), delai);
    if (chargeur_.Raccroche()) {
      if (maintenant >= chargeur_.RaccrocheUs()) {
        pty_.Fermer();  // the host's line goes dead
        raison = "defautRaccrochage";
        break;
      }
      echeance = PlusTot(echeance, chargeur_.RaccrocheUs());
    }
    if (!reglages_.rester && !hote_ && raccrocheUs_)
      echeance = PlusTot(echeance, *raccrocheUs_ + kGraceUs);
    const short evenements = Attendre(echeance);
    if (evenements & POLLIN) {
      if (!Lire()) Raccrochage(Maintenant());
    } else if ((evenements & (POLLHUP | POLLERR)) && hote_) {
      Raccrochage(Maintenant());
    }
  }
  Annexer(raison);
  return raison;
}

std::optional<std::string> Serveur::Fini(std::uint64_t maintenant) const {
  if (gSignal) return "signal";
  if (reglages_.delaiS && maintenant >= std::uint64_t(*reglages_.delaiS * 1e6)) return "delai";
  if (!reglages_.rester && !hote_ && raccrocheUs_ && maintenant >= *raccrocheUs_ + kGraceUs)
    return "raccrochage";
  return std::nullopt;
}

std::optional<std::uint64_t> Serveur::Emettre(std::uint64_t maintenant) {
  while (auto emission = chargeur_.Prochain()) {
    if (!hote_) {  // nobody on the line: the byte goes nowhere
      chargeur_.Retirer();
      ++perdusSansHote_;
      continue;
    }
    const std::uint64_t arrivee = std::max(emission->pretUs, finTxUs_) + caractereUs_;
    if (arrivee > maintenant) return arrivee;
    const ssize_t n = write(pty_.Maitre(), &emission->octet, 1);
    if (n < 0 && errno == EAGAIN) return maintenant + 1000;  // the host reads nothing: try again
    if (n == 1) {
      ++octetsEcrits_;
      retardTotalUs_ += maintenant - arrivee;
      retardMaxUs_ = std::max(retardMaxUs_, maintenant - arrivee);
    } else {
      ++perdusSansHote_;  // the host left as we wrote
    }
    finTxUs_ = arrivee;
    chargeur_.Retirer();
  }
  return std::nullopt;
}

bool Serveur::Lire() {
  std::uint8_t tampon[256];
  for (;;) {
    const ssize_t n = read(pty_.Maitre(), tampon, sizeof tampon);
    if (n > 0) {
      const std::uint64_t arrivee = Maintenant();
      for (ssize_t i = 0; i < n; ++i) Recevoir(tampon[i], arrivee);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    // EAGAIN: all taken. EIO (or an end of file): no one holds the slave any more.
    return n < 0 && errno == EAGAIN;
  }
}

void Serveur::Recevoir(std::uint8_t octet, std::uint64_t arrivee) {
  if (!hote_) {
    // The host's first byte since it opened the line: it is attached, so we
    // let go of the slave and its last close will show as POLLHUP.
    hote_ = true;
    ++attachements_;
    lignes_.push_back(pty_.ReglagesJson());
    pty_.Lacher();
  }
  ++octetsLus_;
  // The byte started on the line when it was written, or when the previous
  // one was through, and is wholly received one character time later.
  finRxUs_ = std::max(arrivee, finRxUs_) + caractereUs_;
  chargeur_.Recevoir(octet, finRxUs_);
}

void Serveur::Raccrochage(std::uint64_t maintenant) {
  hote_ = false;
  raccrocheUs_ = maintenant;
  while (chargeur_.Prochain()) {
    chargeur_.Retirer();
    ++perdusSansHote_;
  }
  // Hold the slave again so poll() stays quiet until a host comes back; if
  // we cannot, Attendre looks every kSondageUs instead.
  hupVu_ = !pty_.Tenir();
  if (hupVu_) ++nonTenu_;
}

short Serveur::Attendre(std::optional<std::uint64_t> echeance) {
  pollfd maitre{pty_.Maitre(), POLLIN, 0};
  const std::uint64_t maintenant = Maintenant();
  // With nobody on the slave, the master reports POLLHUP at once: rather than
  // spin on it, sleep kSondageUs between looks until a host is back.
  const bool sonder = hupVu_ && !pty_.Tenu() && !hote_;
  if (sonder) echeance = PlusTot(echeance, maintenant + kSondageUs);
  timespec duree{};
  if (echeance) {
    const std::uint64_t us = *echeance > maintenant ? *echeance - maintenant : 0;
    duree.tv_sec = time_t(us / 1'000'000);
    duree.tv_nsec = long(us % 1'000'000) * 1000;
  }
  int n = ppoll(sonder ? nullptr : &maitre, sonder ? 0 : 1, echeance ? &duree : nullptr,
                &masqueAttente_);
  if (sonder && n == 0) n = poll(&maitre, 1, 0);
  if (n <= 0) return 0;
  hupVu_ = (maitre.revents & POLLHUP) != 0;
  return maitre.revents;
}

void Serveur::Annexer(const std::string& raison) {
  std::string lignes = "[";
  for (std::size_t i = 0; i < lignes_.size(); ++i) lignes += (i ? ", " : "") + lignes_[i];
  chargeur_.Annexer("ligne", lignes_.empty() ? "null" : lignes_.front());
  // On CLOCK_MONOTONIC itself, so that another process can set its own
  // clock readings beside them: when each command's last bit was through.
  std::string instants = "{";
  for (const auto& [commande, i] : chargeur_.LeRapport().instantsCommandes)
    instants += (instants.size() > 1 ? ", " : "") + JsonTexte(commande) +
                ": {\"premierUs\": " + std::to_string(origineNs_ / 1000 + i.premierUs) +
                ", \"dernierUs\": " + std::to_string(origineNs_ / 1000 + i.dernierUs) + "}";
  chargeur_.Annexer("commandesUs", instants + "}");
  chargeur_.Annexer("lignes", lignes + "]");
  chargeur_.Annexer(
      "simulateur",
      "{\"pty\": " + JsonTexte(pty_.Chemin()) + ", \"rythme\": " + JsonBooleen(reglages_.rythme) +
          ", \"caractereUs\": " + std::to_string(caractereUs_) + ", \"rester\": " +
          JsonBooleen(reglages_.rester) + ", \"attachements\": " + std::to_string(attachements_) +
          ", \"octetsLus\": " + std::to_string(octetsLus_) +
          ", \"octetsEcrits\": " + std::to_string(octetsEcrits_) +
          ", \"perdusSansHote\": " + std::to_string(perdusSansHote_) +
          ", \"esclaveNonTenu\": " + std::to_string(nonTenu_) + ", \"retardMoyenUs\": " +
          std::to_string(octetsEcrits_ ? retardTotalUs_ / octetsEcrits_ : 0) +
          ", \"retardMaxUs\": " + std::to_string(retardMaxUs_) + ", \"dureeMs\": " +
          std::to_string(Maintenant() / 1000) + ", \"fin\": " + JsonTexte(raison) +
          // Linux's pty driver forces CS8 and clears PARENB whatever the host asks.
          ", \"noteLigne\": \"on a Linux pty, bits is always 8 and parenb false: parity cannot be "
          "checked\"}");
}

}  // namespace sim
