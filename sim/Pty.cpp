#include "sim/Pty.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "sim/Json.h"

namespace sim {

namespace {

[[noreturn]] void Echec(const char* quoi) {
  throw std::system_error(errno, std::generic_category(), quoi);
}

long Bauds(speed_t s) {
  struct Vitesse {
    speed_t code;
    long bauds;
  };
  static constexpr Vitesse kTable[] = {
      {B0, 0},          {B50, 50},       {B75, 75},         {B110, 110},       {B134, 134},
      {B150, 150},      {B200, 200},     {B300, 300},       {B600, 600},       {B1200, 1200},
      {B1800, 1800},    {B2400, 2400},   {B4800, 4800},     {B9600, 9600},     {B19200, 19200},
      {B38400, 38400},  {B57600, 57600}, {B115200, 115200}, {B230400, 230400}, {B460800, 460800},
      {B921600, 921600}};
  for (const Vitesse& v : kTable)
    if (v.code == s) return v.bauds;
  return -1;
}

int Bits(tcflag_t cflag) {
  switch (cflag & CSIZE) {
    case CS5:
      return 5;
    case CS6:
      return 6;
    case CS7:
      return 7;
    default:
      return 8;
  }
}

// A line that passes every byte through untouched, both ways.
bool Brut(const termios& t) {
  return !(t.c_lflag & (ICANON | ECHO | ECHONL | ISIG | IEXTEN)) && !(t.c_oflag & OPOST) &&
         !(t.c_iflag & (IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF));
}

}  // namespace

Pty::Pty() {
  maitre_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (maitre_ < 0) Echec("posix_openpt");
  if (grantpt(maitre_) != 0 || unlockpt(maitre_) != 0) Echec("grantpt/unlockpt");
  char nom[128];
  if (ptsname_r(maitre_, nom, sizeof nom) != 0) Echec("ptsname_r");
  chemin_ = nom;
  if (fcntl(maitre_, F_SETFL, fcntl(maitre_, F_GETFL) | O_NONBLOCK) != 0) Echec("fcntl");
  // Raw from the start (termios calls on a Linux master act on the slave's
  // settings); the speed stays the pty's default, so the report shows
  // whether the host set its own.
  termios t{};
  if (tcgetattr(maitre_, &t) != 0) Echec("tcgetattr");
  cfmakeraw(&t);
  if (tcsetattr(maitre_, TCSANOW, &t) != 0) Echec("tcsetattr");
  if (!Tenir()) Echec("open slave");
}

Pty::~Pty() { Fermer(); }

bool Pty::Tenir() {
  if (esclave_ < 0 && maitre_ >= 0) esclave_ = open(chemin_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  return esclave_ >= 0;
}

void Pty::Lacher() {
  if (esclave_ >= 0) close(esclave_);
  esclave_ = -1;
}

void Pty::Fermer() {
  Lacher();
  if (maitre_ >= 0) close(maitre_);
  maitre_ = -1;
}

std::string Pty::ReglagesJson() const {
  termios t{};
  if (maitre_ < 0 || tcgetattr(maitre_, &t) != 0) return "null";
  auto drapeau = [](const char* nom, bool b) {
    return std::string(", \"") + nom + "\": " + JsonBooleen(b);
  };
  std::string json = "{\"baud\": " + std::to_string(Bauds(cfgetospeed(&t))) +
                     ", \"baudEntree\": " + std::to_string(Bauds(cfgetispeed(&t))) +
                     ", \"bits\": " + std::to_string(Bits(t.c_cflag)) +
                     ", \"bitsStop\": " + (t.c_cflag & CSTOPB ? "2" : "1");
  json += drapeau("parenb", t.c_cflag & PARENB) + drapeau("parodd", t.c_cflag & PARODD) +
          drapeau("cstopb", t.c_cflag & CSTOPB) + drapeau("crtscts", t.c_cflag & CRTSCTS) +
          drapeau("clocal", t.c_cflag & CLOCAL) + drapeau("cread", t.c_cflag & CREAD) +
          drapeau("hupcl", t.c_cflag & HUPCL) + drapeau("ixon", t.c_iflag & IXON) +
          drapeau("ixoff", t.c_iflag & IXOFF) + drapeau("ixany", t.c_iflag & IXANY) +
          drapeau("inpck", t.c_iflag & INPCK) + drapeau("istrip", t.c_iflag & ISTRIP) +
          drapeau("icrnl", t.c_iflag & ICRNL) + drapeau("inlcr", t.c_iflag & INLCR) +
          drapeau("igncr", t.c_iflag & IGNCR) + drapeau("opost", t.c_oflag & OPOST) +
          drapeau("icanon", t.c_lflag & ICANON) + drapeau("echo", t.c_lflag & ECHO) +
          drapeau("isig", t.c_lflag & ISIG) + drapeau("iexten", t.c_lflag & IEXTEN);
  json += ", \"vmin\": " + std::to_string(t.c_cc[VMIN]) +
          ", \"vtime\": " + std::to_string(t.c_cc[VTIME]);
  return json + drapeau("brut", Brut(t)) + "}";
}

}  // namespace sim
