// The pseudo-terminal the simulator serves: its master side, and a
// descriptor of our own on its slave side that we hold while no host is
// attached. A pty master reports POLLHUP while no descriptor is open on the
// slave; holding one ourselves keeps poll() quiet between hosts, so waiting for
// a host costs nothing, and letting it go once the host has sent its first byte
// makes the host's last close show as POLLHUP.
#pragma once

#include <string>

namespace sim {

class Pty {
 public:
  // Throws std::system_error when the terminal cannot be made.
  Pty();
  ~Pty();
  Pty(const Pty&) = delete;
  Pty& operator=(const Pty&) = delete;

  const std::string& Chemin() const { return chemin_; }
  int Maitre() const { return maitre_; }

  // Holds the slave side open ourselves; false when it cannot be opened
  // (for instance a host left it exclusive, TIOCEXCL, and we are not root).
  bool Tenir();
  void Lacher();
  bool Tenu() const { return esclave_ >= 0; }

  // Closes everything: the host sees its line hang up.
  void Fermer();

  // The line settings as the host left them on the slave side, as a JSON object.
  std::string ReglagesJson() const;

 private:
  int maitre_ = -1;
  int esclave_ = -1;
  std::string chemin_;
};

}  // namespace sim
