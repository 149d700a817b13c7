#include "bench/bench_assistant_proc.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include "bench/bench_assistant_x11.h"
#include "platform/os/posix/UniqueFd.h"

extern char** environ;

namespace {

// The child between fork and exec: only async-signal-safe calls. It writes
// the instant of its execve to `compte`, or nothing when it fails.
[[noreturn]] void Enfant(const char* programme, const char* pty, int compte) {
  ::dup2(STDERR_FILENO, STDOUT_FILENO);
  if (::unshare(CLONE_NEWNS) != 0 ||
      ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
      ::mount(pty, "/dev/ttyS0", nullptr, MS_BIND, nullptr) != 0)
    ::_exit(126);
  const std::int64_t ns = MonotoneNs();
  if (::write(compte, &ns, sizeof ns) != sizeof ns) ::_exit(126);
  char* const argv[] = {const_cast<char*>(programme), nullptr};
  ::execve(programme, argv, environ);
  ::_exit(127);
}

std::string LireFichier(const std::string& chemin) {
  std::ifstream f(chemin);
  if (!f) throw std::runtime_error("cannot read " + chemin);
  std::ostringstream texte;
  texte << f.rdbuf();
  return texte.str();
}

}  // namespace

Lance LancerAvecPtyEnCom1(const std::string& programme, const std::string& pty) {
  Tuyau tuyau = OuvrirTuyau();
  const pid_t pid = ::fork();
  if (pid < 0) throw std::system_error(errno, std::generic_category(), "fork");
  if (pid == 0) Enfant(programme.c_str(), pty.c_str(), tuyau.ecriture.Get());
  Lance lance{ProcessusEnfant(pid), 0};
  tuyau.ecriture.Reset();
  ssize_t n = 0;
  do n = ::read(tuyau.lecture.Get(), &lance.execNs, sizeof lance.execNs);
  while (n < 0 && errno == EINTR);
  if (n != sizeof lance.execNs)
    throw std::runtime_error("could not bind the pty over /dev/ttyS0 in a namespace (root?)");
  return lance;
}

bool Fini(pid_t pid) {
  siginfo_t info{};
  return ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
         info.si_pid == pid;
}

double Xdotool(const std::vector<std::string>& arguments) {
  const std::int64_t debut = MonotoneNs();
  ProcessusEnfant xdotool = ProcessusEnfant::Lancer("/usr/bin/xdotool", arguments, STDERR_FILENO);
  if (xdotool.Attendre() != 0) throw std::runtime_error("xdotool " + arguments.front() + " failed");
  return double(MonotoneNs() - debut) / 1e6;
}

Cpu LireCpu(pid_t pid) {
  const std::string dossier = "/proc/" + std::to_string(pid);
  Cpu cpu;
  cpu.ns = MonotoneNs();
  // Fields 14 and 15, counted after the command's closing parenthesis.
  const std::string stat = LireFichier(dossier + "/stat");
  std::istringstream champs(stat.substr(stat.rfind(')') + 2));
  std::string champ;
  for (int i = 3; i < 14 && champs >> champ; ++i) {
  }
  std::int64_t utime = 0, stime = 0;
  if (!(champs >> utime >> stime)) throw std::runtime_error("unexpected " + dossier + "/stat");
  cpu.ticks = utime + stime;
  std::istringstream(LireFichier(dossier + "/schedstat")) >> cpu.schedNs;
  return cpu;
}

long PicResidentKiB(pid_t pid) {
  std::istringstream lignes(LireFichier("/proc/" + std::to_string(pid) + "/status"));
  for (std::string ligne; std::getline(lignes, ligne);)
    if (ligne.rfind("VmHWM:", 0) == 0) return std::stol(ligne.substr(6));
  throw std::runtime_error("no VmHWM in /proc/" + std::to_string(pid) + "/status");
}
