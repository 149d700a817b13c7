// The display side of the wizard's benchmark: an Xvfb of our own, a client
// connection that sees top-level windows being mapped, and the few pixels
// that tell which page the wizard shows.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <memory>
#include <regex>
#include <string>

#include "tests/integration/SimulateurPty.h"

// CLOCK_MONOTONIC in ns: the clock of the simulator's report too.
std::int64_t MonotoneNs();

// Xvfb on `ecran` (":77"), killed and reaped with this object. Throws when
// the display does not answer within 5 s, or when it is taken already.
class Xvfb {
 public:
  explicit Xvfb(const std::string& ecran);
  // Asked to end rather than killed, so that it removes its lock and socket.
  ~Xvfb();
  Xvfb(const Xvfb&) = delete;
  Xvfb& operator=(const Xvfb&) = delete;
  const std::string& Ecran() const { return ecran_; }

 private:
  std::string ecran_;
  ProcessusEnfant serveur_;
};

// A connection that is told of every window mapped on the root: opened
// before the program under test starts, so its first map cannot be missed.
class Affichage {
 public:
  explicit Affichage(const std::string& ecran);
  Display* Get() const { return d_.get(); }

  struct Carte {
    Window fenetre = 0;
    std::int64_t ns = 0;  // CLOCK_MONOTONIC when the MapNotify was taken in
  };
  // The first top-level window mapped whose title matches, waiting up to
  // `delaiMs`. Throws when none comes.
  Carte AttendreFenetre(const std::regex& titre, int delaiMs);
  // The pixel's value in the window's visual (0xFFFFFF is white on 24 bits).
  unsigned long Pixel(Window fenetre, int x, int y) const;

 private:
  struct Fermeur {
    void operator()(Display* d) const { XCloseDisplay(d); }
  };
  std::unique_ptr<Display, Fermeur> d_;
};
