#include "tests/integration/SimulateurPty.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <stdexcept>
#include <system_error>
#include <utility>

extern char** environ;

namespace fs = std::filesystem;
using Horloge = std::chrono::steady_clock;

namespace {

[[noreturn]] void Echec(const std::string& quoi) { throw std::runtime_error("simulator: " + quoi); }

int MsAvant(Horloge::time_point fin) {
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(fin - Horloge::now()).count();
  return static_cast<int>(std::clamp<long long>(ms, 0, INT_MAX));
}

}  // namespace

Tuyau OuvrirTuyau() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) throw std::system_error(errno, std::generic_category(), "pipe2");
  return {os::UniqueFd(fds[0]), os::UniqueFd(fds[1])};
}

DossierTemporaire::DossierTemporaire() {
  std::string modele = (fs::temp_directory_path() / "zt-simpty-XXXXXX").string();
  if (::mkdtemp(modele.data()) == nullptr)
    throw std::system_error(errno, std::generic_category(), "mkdtemp");
  chemin_ = modele;
}

DossierTemporaire::~DossierTemporaire() {
  std::error_code ignore;
  fs::remove_all(chemin_, ignore);
}

ProcessusEnfant ProcessusEnfant::Lancer(const std::string& programme,
                                        const std::vector<std::string>& arguments, int sortie) {
  std::vector<std::string> textes{programme};
  textes.insert(textes.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& t : textes) argv.push_back(t.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, sortie, STDOUT_FILENO);
  pid_t pid = -1;
  const int erreur = ::posix_spawn(&pid, programme.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (erreur != 0) throw std::system_error(erreur, std::generic_category(), programme);
  return ProcessusEnfant(pid);
}

ProcessusEnfant::ProcessusEnfant(ProcessusEnfant&& autre) noexcept
    : pid_(std::exchange(autre.pid_, -1)) {}

ProcessusEnfant& ProcessusEnfant::operator=(ProcessusEnfant&& autre) noexcept {
  if (this != &autre) {
    Terminer();
    pid_ = std::exchange(autre.pid_, -1);
  }
  return *this;
}

ProcessusEnfant::~ProcessusEnfant() { Terminer(); }

void ProcessusEnfant::Terminer() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGKILL);
  Attendre();
}

int ProcessusEnfant::Attendre() {
  int etat = 0;
  pid_t fini = -1;
  do fini = ::waitpid(pid_, &etat, 0);
  while (fini < 0 && errno == EINTR);
  pid_ = -1;
  if (fini < 0) return -1;
  return WIFEXITED(etat) ? WEXITSTATUS(etat) : -1;
}

SimulateurPty::SimulateurPty(const std::string& programme,
                             const std::vector<std::string>& arguments)
    : racineDev_(dossier_.Chemin() / "dev"),
      racineSys_(dossier_.Chemin() / "sys"),
      systeme_(racineDev_, racineSys_) {
  fs::create_directories(racineDev_);
  fs::create_directories(racineSys_);
  Tuyau tuyau = OuvrirTuyau();
  enfant_ = ProcessusEnfant::Lancer(programme, arguments, tuyau.ecriture.Get());
  tuyau.ecriture.Reset();  // so that the child's exit ends our reads
  tuyau_ = std::move(tuyau.lecture);
  const auto fin = Horloge::now() + std::chrono::seconds(3);
  while (sortie_.find('\n') == std::string::npos && Horloge::now() < fin)
    if (!Lire(fin)) break;
  const auto retour = sortie_.find('\n');
  if (retour == std::string::npos) Echec("printed no pty path");
  chemin_ = sortie_.substr(0, retour);
  sortie_.erase(0, retour + 1);
  if (!chemin_.starts_with("/dev/pts/")) Echec("first line is not a pty: " + chemin_);
  fs::create_symlink(chemin_, racineDev_ / "ttyUSB0");
}

bool SimulateurPty::Lire(Horloge::time_point fin) {
  pollfd p{tuyau_.Get(), POLLIN, 0};
  const int n = ::poll(&p, 1, MsAvant(fin));
  if (n < 0 && errno == EINTR) return true;
  if (n <= 0) return n == 0;
  char tampon[65536];
  const ssize_t lus = ::read(tuyau_.Get(), tampon, sizeof tampon);
  if (lus < 0 && errno == EINTR) return true;
  if (lus <= 0) return false;
  sortie_.append(tampon, static_cast<std::size_t>(lus));
  return true;
}

Json SimulateurPty::Rapport(std::chrono::milliseconds delai) {
  const auto fin = Horloge::now() + delai;
  bool termine = false;
  while (!termine && Horloge::now() < fin) termine = !Lire(fin);
  if (!termine) Echec("did not end within " + std::to_string(delai.count()) + " ms");
  const int etat = enfant_.Attendre();
  if (etat != 0) Echec("exited with status " + std::to_string(etat));
  return Json::Lire(sortie_);
}
