// zt-bootloader-sim as the device on COM1, for the tests and the benchmark
// that drive the link over a real pty: the program runs as a child process,
// its pty is exposed as ttyUSB0 under a device root of our own (so that
// \\.\COM1 reaches it and never a port of this machine), and its JSON report
// is read once the host has hung up.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/os/posix/PosixOs.h"
#include "platform/os/posix/UniqueFd.h"
#include "tests/integration/LecteurJson.h"

// Both ends of a pipe, closed on exec: the read end stays with us, the write
// end goes to a child.
struct Tuyau {
  os::UniqueFd lecture;
  os::UniqueFd ecriture;
};
Tuyau OuvrirTuyau();

// A folder made for this run, removed with everything in it.
class DossierTemporaire {
 public:
  DossierTemporaire();
  ~DossierTemporaire();
  DossierTemporaire(const DossierTemporaire&) = delete;
  DossierTemporaire& operator=(const DossierTemporaire&) = delete;
  const std::filesystem::path& Chemin() const { return chemin_; }

 private:
  std::filesystem::path chemin_;
};

// A child process, killed and reaped if it is still there when this goes.
class ProcessusEnfant {
 public:
  explicit ProcessusEnfant(pid_t pid = -1) : pid_(pid) {}
  // `programme` with `arguments`, its standard output on `sortie`.
  static ProcessusEnfant Lancer(const std::string& programme,
                                const std::vector<std::string>& arguments, int sortie);
  ~ProcessusEnfant();
  ProcessusEnfant(ProcessusEnfant&& autre) noexcept;
  ProcessusEnfant& operator=(ProcessusEnfant&& autre) noexcept;
  ProcessusEnfant(const ProcessusEnfant&) = delete;
  ProcessusEnfant& operator=(const ProcessusEnfant&) = delete;

  pid_t Pid() const { return pid_; }
  // Kills and reaps it, if it is still ours.
  void Terminer();
  // Reaps it: its exit status, or -1 when a signal ended it.
  int Attendre();

 private:
  pid_t pid_;
};

class SimulateurPty {
 public:
  // Starts the simulator and waits, 3 s at most, for the path of its pty.
  // Throws std::runtime_error when it does not start.
  SimulateurPty(const std::string& programme, const std::vector<std::string>& arguments);
  SimulateurPty(const SimulateurPty&) = delete;
  SimulateurPty& operator=(const SimulateurPty&) = delete;

  const std::string& CheminPty() const { return chemin_; }
  const std::filesystem::path& RacineDev() const { return racineDev_; }
  const std::filesystem::path& RacineSys() const { return racineSys_; }
  // The system layer on those roots: its COM1 is the simulator.
  os::PosixOs& Systeme() { return systeme_; }

  // The report, once the simulator has ended (the host hung up, or a fault
  // ended the run). Throws when it does not end within `delai`, ends with a
  // status other than 0, or writes anything but JSON.
  Json Rapport(std::chrono::milliseconds delai = std::chrono::seconds(5));
  // Its text, for messages, once Rapport has read it.
  const std::string& TexteRapport() const { return sortie_; }

 private:
  // Appends what the pipe gives until `fin` or its end; false at its end.
  bool Lire(std::chrono::steady_clock::time_point fin);

  DossierTemporaire dossier_;
  std::filesystem::path racineDev_;
  std::filesystem::path racineSys_;
  os::PosixOs systeme_;
  os::UniqueFd tuyau_;
  ProcessusEnfant enfant_;
  std::string chemin_;
  std::string sortie_;  // what followed the first line
};
