#include "bench/bench_assistant_x11.h"

#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "platform/os/posix/UniqueFd.h"

namespace {

os::UniqueFd DevNull() {
  os::UniqueFd fd(::open("/dev/null", O_WRONLY | O_CLOEXEC));
  if (!fd.Valid()) throw std::system_error(errno, std::generic_category(), "/dev/null");
  return fd;
}

bool Repond(const std::string& ecran) {
  Display* d = XOpenDisplay(ecran.c_str());
  if (d) XCloseDisplay(d);
  return d != nullptr;
}

std::string Titre(Display* d, Window w) {
  char* nom = nullptr;
  if (!XFetchName(d, w, &nom) || !nom) return {};
  std::string titre(nom);
  XFree(nom);
  return titre;
}

// A window that went away under a request must fail that request, not end
// the benchmark the way Xlib's default handler would.
int IgnorerErreur(Display*, XErrorEvent*) { return 0; }

}  // namespace

std::int64_t MonotoneNs() {
  timespec t{};
  ::clock_gettime(CLOCK_MONOTONIC, &t);
  return std::int64_t{t.tv_sec} * 1'000'000'000 + t.tv_nsec;
}

Xvfb::Xvfb(const std::string& ecran) : ecran_(ecran) {
  if (Repond(ecran_)) throw std::runtime_error("display " + ecran_ + " is taken already");
  const os::UniqueFd nul = DevNull();
  serveur_ = ProcessusEnfant::Lancer(
      "/usr/bin/Xvfb", {ecran_, "-screen", "0", "1024x768x24", "-nolisten", "tcp"}, nul.Get());
  const std::int64_t fin = MonotoneNs() + 5'000'000'000;
  while (!Repond(ecran_)) {
    if (MonotoneNs() > fin) throw std::runtime_error("Xvfb did not start on " + ecran_);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

Xvfb::~Xvfb() {
  if (serveur_.Pid() > 0 && ::kill(serveur_.Pid(), SIGTERM) == 0) serveur_.Attendre();
}

Affichage::Affichage(const std::string& ecran) : d_(XOpenDisplay(ecran.c_str())) {
  if (!d_) throw std::runtime_error("cannot open display " + ecran);
  XSetErrorHandler(IgnorerErreur);
  // The programs we start must not inherit our connection.
  ::fcntl(ConnectionNumber(d_.get()), F_SETFD, FD_CLOEXEC);
  XSelectInput(d_.get(), DefaultRootWindow(d_.get()), SubstructureNotifyMask);
  XSync(d_.get(), False);
}

Affichage::Carte Affichage::AttendreFenetre(const std::regex& titre, int delaiMs) {
  Display* d = d_.get();
  const std::int64_t fin = MonotoneNs() + std::int64_t{delaiMs} * 1'000'000;
  for (std::int64_t reste = fin - MonotoneNs(); reste > 0; reste = fin - MonotoneNs()) {
    if (!XPending(d)) {
      pollfd p{ConnectionNumber(d), POLLIN, 0};
      ::poll(&p, 1, static_cast<int>(reste / 1'000'000) + 1);
      continue;
    }
    XEvent e;
    XNextEvent(d, &e);
    const std::int64_t ns = MonotoneNs();
    if (e.type == MapNotify && !e.xmap.override_redirect &&
        std::regex_search(Titre(d, e.xmap.window), titre))
      return {e.xmap.window, ns};
  }
  throw std::runtime_error("no window with the wizard's title was mapped");
}

unsigned long Affichage::Pixel(Window fenetre, int x, int y) const {
  struct Liberer {
    void operator()(XImage* i) const { XDestroyImage(i); }
  };
  const std::unique_ptr<XImage, Liberer> image(
      XGetImage(d_.get(), fenetre, x, y, 1, 1, AllPlanes, ZPixmap));
  if (!image) throw std::runtime_error("cannot read the wizard's pixels");
  return XGetPixel(image.get(), 0, 0);
}
