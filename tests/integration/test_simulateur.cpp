// zt-bootloader-sim as a program: its command line, the protocol over its
// pty, the pace of the line, hang-ups in both directions, and its report.
// The host side here is raw bytes on the slave, not the link.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <regex>
#include <string>
#include <vector>

namespace {

using Horloge = std::chrono::steady_clock;

double MsDepuis(Horloge::time_point debut) {
  return std::chrono::duration<double, std::milli>(Horloge::now() - debut).count();
}

// The program, its standard output and error read through pipes.
class Simulateur {
 public:
  struct Fin {
    int code = -1;
    std::string sortie;  // after the first line
    std::string erreurs;
    double cpuMs = 0;
  };

  // `utilisateur`: the uid to run it as, when not -1 (the caller being root).
  explicit Simulateur(std::vector<std::string> arguments, int utilisateur = -1) {
    int sortie[2], erreurs[2];
    if (pipe2(sortie, O_CLOEXEC) != 0 || pipe2(erreurs, O_CLOEXEC) != 0) std::abort();
    pid_ = fork();
    if (pid_ == 0) {
      dup2(sortie[1], 1);
      dup2(erreurs[1], 2);
      if (utilisateur >= 0 && (setgid(utilisateur) != 0 || setuid(utilisateur) != 0)) _exit(126);
      std::vector<char*> argv{const_cast<char*>(ZT_SIM)};
      for (auto& a : arguments) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(ZT_SIM, argv.data());
      _exit(127);
    }
    close(sortie[1]);
    close(erreurs[1]);
    sortie_ = sortie[0];
    erreurs_ = erreurs[0];
  }
  ~Simulateur() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    close(sortie_);
    close(erreurs_);
  }

  // The first line of standard output, without its newline.
  std::string PremiereLigne() {
    const auto debut = Horloge::now();
    while (tampon_.find('\n') == std::string::npos && MsDepuis(debut) < 3000)
      if (!Lire(sortie_, tampon_, 100)) break;
    const auto fin = tampon_.find('\n');
    if (fin == std::string::npos) return "";
    std::string ligne = tampon_.substr(0, fin);
    tampon_.erase(0, fin + 1);
    return ligne;
  }

  void Signaler(int numero) { kill(pid_, numero); }

  // Everything up to the program's exit (killed after `delaiMs`).
  Fin Attendre(int delaiMs = 5000) {
    Fin fin;
    std::string erreurs;
    const auto debut = Horloge::now();
    bool ouverte = true, ouverteErreurs = true;
    while ((ouverte || ouverteErreurs) && MsDepuis(debut) < delaiMs) {
      if (ouverte) ouverte = Lire(sortie_, tampon_, 10);
      if (ouverteErreurs) ouverteErreurs = Lire(erreurs_, erreurs, 10);
    }
    if (ouverte || ouverteErreurs) kill(pid_, SIGKILL);
    int etat = 0;
    rusage usage{};
    wait4(pid_, &etat, 0, &usage);
    pid_ = -1;
    fin.code = WIFEXITED(etat) ? WEXITSTATUS(etat) : -1;
    fin.sortie = tampon_;
    fin.erreurs = erreurs;
    fin.cpuMs = 1e3 * (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                1e-3 * (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
    return fin;
  }

 private:
  // Appends what `fd` has within `ms`; false at its end.
  static bool Lire(int fd, std::string& vers, int ms) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, ms) <= 0) return true;
    char tampon[4096];
    const ssize_t n = read(fd, tampon, sizeof tampon);
    if (n <= 0) return false;
    vers.append(tampon, static_cast<std::size_t>(n));
    return true;
  }

  pid_t pid_ = -1;
  int sortie_ = -1, erreurs_ = -1;
  std::string tampon_;
};

// The host's end of the line: the slave side, raw, as a serial port would be set.
class Hote {
 public:
  explicit Hote(const std::string& chemin, speed_t vitesse = B9600, tcflag_t cflag = 0,
                tcflag_t iflag = 0) {
    fd_ = open(chemin.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0) return;
    termios t{};
    tcgetattr(fd_, &t);
    cfmakeraw(&t);
    cfsetspeed(&t, vitesse);
    t.c_cflag |= PARENB | CLOCAL | cflag;
    t.c_iflag |= iflag;
    tcsetattr(fd_, TCSANOW, &t);
  }
  ~Hote() { Fermer(); }
  bool Ouvert() const { return fd_ >= 0; }
  int Descripteur() const { return fd_; }
  void Fermer() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }
  void Envoyer(std::initializer_list<std::uint8_t> octets) {
    const std::vector<std::uint8_t> v(octets);
    ASSERT_EQ(write(fd_, v.data(), v.size()), static_cast<ssize_t>(v.size()));
  }
  // The next byte; -1 when none comes within `ms`; -2 when the line is gone.
  int Recevoir(int ms = 1500) {
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, ms) <= 0) return -1;
    std::uint8_t b = 0;
    return read(fd_, &b, 1) == 1 ? b : -2;
  }
  // A received pair, acknowledged digit by digit.
  std::string Paire() {
    std::string digits;
    for (int i = 0; i < 2; ++i) {
      const int d = Recevoir();
      if (d < 0) return digits + "?";
      digits += static_cast<char>(d);
      Envoyer({0x84});
    }
    return digits;
  }
  // Poll, unlock, programming mode.
  void Programmer() {
    for (std::uint8_t commande : {0x80, 0x83, 0x90}) {
      Envoyer({commande});
      ASSERT_EQ(Recevoir(), commande == 0x80 ? 0x81 : 0x84);
    }
  }

 private:
  int fd_ = -1;
};

// Address 48 and data 0x0001 scrambled: 00^4D 30^A6 00^4D 01^A6.
constexpr std::initializer_list<std::uint8_t> kEcrireMot48 = {0x8D, '4', 'D', '9', '6',
                                                              '4',  'D', 'A', '7'};

// The CPU time that a run of a few hundred milliseconds must stay under:
// well below what any busy wait would take in that time.
constexpr double kCpuMaxMs = 100;

bool Contient(const std::string& texte, const std::string& partie) {
  return texte.find(partie) != std::string::npos;
}

TEST(Simulateur, HelpListsEveryOptionAndExitsZero) {
  Simulateur sim({"--help"});
  const Simulateur::Fin fin = sim.Attendre();
  EXPECT_EQ(fin.code, 0);
  for (const char* option :
       {"--model", "--loader-version", "--serial", "--version", "--no-address-mask", "--silent",
        "--ready-after", "--end-request", "--bad-ack-at", "--lose-byte", "--corrupt-byte",
        "--hangup-at", "--slow-flash", "--no-pacing", "--stay", "--timeout", "--report", "--help"})
    EXPECT_TRUE(Contient(fin.sortie, option)) << option;
}

TEST(Simulateur, ABadOptionOrValueExitsTwoWithAMessage) {
  const std::vector<std::vector<std::string>> cas = {{"--bogus"},
                                                     {"extra"},
                                                     {"--serial", "abc"},
                                                     {"--serial", "4294967296"},
                                                     {"--model", "K02X"},
                                                     {"--ready-after"},
                                                     {"--ready-after", "0"},
                                                     {"--timeout", "0"},
                                                     {"--version", "1"},
                                                     {"--loader-version", "256"},
                                                     {"--stay=1"},
                                                     {"--slow-flash", "-5"}};
  for (const auto& arguments : cas) {
    Simulateur sim(arguments);
    const Simulateur::Fin fin = sim.Attendre();
    EXPECT_EQ(fin.code, 2) << arguments[0];
    EXPECT_TRUE(Contient(fin.erreurs, "zt-bootloader-sim: "))
        << arguments[0] << ": " << fin.erreurs;
    EXPECT_EQ(fin.sortie, "") << arguments[0];
  }
}

TEST(Simulateur, ServesOverThePtyAndReportsWhenTheHostHangsUp) {
  Simulateur sim({"--no-pacing", "--serial", "200000000"});
  const std::string chemin = sim.PremiereLigne();
  ASSERT_TRUE(std::regex_match(chemin, std::regex("/dev/pts/[0-9]+"))) << chemin;
  struct stat s {};
  ASSERT_EQ(stat(chemin.c_str(), &s), 0);
  EXPECT_TRUE(S_ISCHR(s.st_mode));

  { Hote sonde(chemin); }  // a port probe: opened and closed, nothing sent
  Hote hote(chemin);
  ASSERT_TRUE(hote.Ouvert());
  hote.Envoyer({0x80});
  EXPECT_EQ(hote.Recevoir(), 0x81);
  hote.Envoyer({0x86});
  std::string code;
  for (int i = 0; i < 3; ++i) code += hote.Paire();
  EXPECT_EQ(code, "4B3032");  // "K02"
  hote.Envoyer({0x89, 'F', '2'});
  EXPECT_EQ(hote.Paire(), "C2");  // 200000000 = 0B EB C2 00
  hote.Envoyer({0x04});
  EXPECT_EQ(hote.Recevoir(), 0x84);
  hote.Fermer();

  const Simulateur::Fin fin = sim.Attendre();
  EXPECT_EQ(fin.code, 0) << fin.erreurs;
  ASSERT_EQ(fin.sortie.rfind("{", 0), 0u) << fin.sortie;
  for (const char* attendu :
       {"\"0x80\": 1", "\"0x86\": 1", "\"0x89\": 1", "\"0x04\": 1", "\"nbViolations\": 0",
        "\"session\": false", "\"ligne\": {\"baud\": 9600", "\"brut\": true", "\"attachements\": 1",
        "\"fin\": \"raccrochage\"", "\"rythme\": false"})
    EXPECT_TRUE(Contient(fin.sortie, attendu)) << attendu << "\n" << fin.sortie;
}

TEST(Simulateur, AHostThatReopensAtOnceKeepsItsSession) {
  Simulateur sim({"--no-pacing"});
  const std::string chemin = sim.PremiereLigne();
  {
    Hote hote(chemin);
    hote.Envoyer({0x80});
    EXPECT_EQ(hote.Recevoir(), 0x81);
  }
  usleep(30'000);     // long enough for the hang-up to be seen, well within the grace
  Hote hote(chemin);  // closed and opened again, as Ouvrir on an open port does
  hote.Envoyer({0x87});
  EXPECT_EQ(hote.Paire(), "01");
  hote.Fermer();
  const Simulateur::Fin fin = sim.Attendre();
  for (const char* attendu : {"\"attachements\": 2", "\"nbViolations\": 0", "\"0x87\": 1"})
    EXPECT_TRUE(Contient(fin.sortie, attendu)) << attendu << "\n" << fin.sortie;
}

// Run as an unprivileged user, the simulator cannot reopen a slave that a host
// left exclusive (TIOCEXCL outlives the close on a pty): it then looks for the
// host every 20 ms instead of holding the slave, and still serves.
TEST(Simulateur, WhenItCannotHoldTheSlaveItStillServesWithoutSpinning) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to run the simulator as another user";
  Simulateur sim({"--no-pacing", "--stay", "--timeout", "0.5"}, 65534);
  const std::string chemin = sim.PremiereLigne();
  for (int i = 0; i < 2; ++i) {
    Hote hote(chemin);  // root: TIOCEXCL does not stop it
    ASSERT_TRUE(hote.Ouvert());
    ASSERT_EQ(ioctl(hote.Descripteur(), TIOCEXCL), 0);
    hote.Envoyer({0x80});
    EXPECT_EQ(hote.Recevoir(), 0x81);
    hote.Fermer();
    usleep(50'000);  // the hang-up is seen; the slave, exclusive, cannot be held again
  }
  const Simulateur::Fin fin = sim.Attendre();
  EXPECT_EQ(fin.code, 0) << fin.erreurs;
  for (const char* attendu : {"\"attachements\": 2", "\"esclaveNonTenu\": 2"})
    EXPECT_TRUE(Contient(fin.sortie, attendu)) << attendu << "\n" << fin.sortie;
  EXPECT_LT(fin.cpuMs, kCpuMaxMs);
}

TEST(Simulateur, TheLineSettingsTheHostChoseAreReported) {
  Simulateur sim({"--no-pacing"});
  Hote hote(sim.PremiereLigne(), B19200, CSTOPB | CRTSCTS, IXON);
  hote.Envoyer({0x80});
  EXPECT_EQ(hote.Recevoir(), 0x81);
  hote.Fermer();
  const Simulateur::Fin fin = sim.Attendre();
  for (const char* attendu : {"\"baud\": 19200", "\"cstopb\": true", "\"crtscts\": true",
                              "\"ixon\": true", "\"parenb\": false", "\"brut\": false"})
    EXPECT_TRUE(Contient(fin.sortie, attendu)) << attendu << "\n" << fin.sortie;
}

// 100 polls, each a byte each way; then a word write, nine bytes sent at once
// and acknowledged once they are all through.
double Echanges(Simulateur& sim, double& motMs) {
  Hote hote(sim.PremiereLigne());
  const auto debut = Horloge::now();
  for (int i = 0; i < 100; ++i) {
    hote.Envoyer({0x80});
    if (hote.Recevoir() != 0x81) return -1;
  }
  const double pollsMs = MsDepuis(debut);
  for (std::uint8_t commande : {0x83, 0x90}) {
    hote.Envoyer({commande});
    if (hote.Recevoir() != 0x84) return -1;
  }
  const auto mot = Horloge::now();
  hote.Envoyer(kEcrireMot48);
  if (hote.Recevoir() != 0x84) return -1;
  motMs = MsDepuis(mot);
  return pollsMs;
}

TEST(Simulateur, PacesTheLineAtTheCharacterTimeBothWaysWithoutSpinning) {
  constexpr double kCaractereMs = 1.146;
  Simulateur rythme({});
  double motRythme = 0, motLibre = 0;
  const double pollsRythme = Echanges(rythme, motRythme);
  Simulateur libre({"--no-pacing"});
  const double pollsLibre = Echanges(libre, motLibre);

  EXPECT_GE(pollsRythme, 100 * 2 * kCaractereMs);
  EXPECT_LT(pollsRythme, 100 * 2 * kCaractereMs * 3);  // loose: other tests may share the cores
  EXPECT_GE(motRythme, 10 * kCaractereMs);             // nine bytes in, one out
  EXPECT_GT(pollsLibre, 0);
  EXPECT_LT(pollsLibre, pollsRythme / 4);
  EXPECT_LT(motLibre, 5 * kCaractereMs);

  const Simulateur::Fin fin = rythme.Attendre();
  EXPECT_EQ(fin.code, 0);
  // A simulator that spun would burn most of the ~250 ms of pacing; one that
  // sleeps uses ~15 ms, start-up included (~40 ms under the sanitizers).
  EXPECT_LT(fin.cpuMs, kCpuMaxMs) << "the paced simulator must sleep, not spin";
  // Its own lateness against the line's schedule: about 0.1 ms here, under a
  // character time even when other tests load both cores.
  std::smatch retard;
  ASSERT_TRUE(std::regex_search(fin.sortie, retard, std::regex("\"retardMoyenUs\": ([0-9]+)")));
  EXPECT_LT(std::stoi(retard[1]), 1146) << fin.sortie;
  EXPECT_TRUE(Contient(fin.sortie, "\"mots\": [\n    {\"adresse\": 48, \"valeur\": 1}\n  ]"))
      << fin.sortie;
}

TEST(Simulateur, HangupAtClosesTheLineThenReports) {
  Simulateur sim({"--no-pacing", "--hangup-at", "1"});
  Hote hote(sim.PremiereLigne());
  hote.Programmer();
  hote.Envoyer(kEcrireMot48);
  EXPECT_EQ(hote.Recevoir(), -2);  // the line is gone, without an answer
  const Simulateur::Fin fin = sim.Attendre();
  EXPECT_EQ(fin.code, 0);
  for (const char* attendu :
       {"\"raccroche\": true", "\"fin\": \"defautRaccrochage\"", "\"nbMots\": 0"})
    EXPECT_TRUE(Contient(fin.sortie, attendu)) << attendu << "\n" << fin.sortie;
}

TEST(Simulateur, WithoutHostTheTimeoutEndsTheRunIdleAndTheReportGoesToItsFile) {
  const std::string fichier =
      testing::TempDir() + "zt-sim-rapport-" + std::to_string(getpid()) + ".json";
  std::remove(fichier.c_str());
  Simulateur sim({"--timeout", "0.3", "--report", fichier});
  const auto debut = Horloge::now();
  EXPECT_FALSE(sim.PremiereLigne().empty());
  const Simulateur::Fin fin = sim.Attendre();
  EXPECT_EQ(fin.code, 0);
  EXPECT_GE(MsDepuis(debut), 290);
  EXPECT_EQ(fin.sortie, "");  // only the path went to standard output
  EXPECT_LT(fin.cpuMs, kCpuMaxMs);
  std::FILE* f = std::fopen(fichier.c_str(), "r");
  ASSERT_NE(f, nullptr);
  char tampon[65536];
  const std::string rapport(tampon, std::fread(tampon, 1, sizeof tampon, f));
  std::fclose(f);
  EXPECT_TRUE(Contient(rapport, "\"fin\": \"delai\"")) << rapport;
  EXPECT_TRUE(Contient(rapport, "\"ligne\": null")) << rapport;
}

TEST(Simulateur, StayServesOneHostAfterAnotherUntilSignalled) {
  Simulateur sim({"--no-pacing", "--stay", "--end-request"});
  const std::string chemin = sim.PremiereLigne();
  for (int expected : {0x85, 0x81}) {
    Hote hote(chemin);
    hote.Envoyer({0x80});
    EXPECT_EQ(hote.Recevoir(), expected);
    hote.Fermer();
    usleep(150'000);  // longer than the grace after a hang-up
  }
  Hote troisieme(chemin);
  troisieme.Envoyer({0x04});
  EXPECT_EQ(troisieme.Recevoir(), 0x84);
  sim.Signaler(SIGTERM);
  const Simulateur::Fin fin = sim.Attendre();
  EXPECT_EQ(fin.code, 0);
  for (const char* attendu :
       {"\"0x80\": 2", "\"0x04\": 1", "\"attachements\": 3", "\"fin\": \"signal\""})
    EXPECT_TRUE(Contient(fin.sortie, attendu)) << attendu << "\n" << fin.sortie;
}

std::uint64_t MonotoneUs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return std::uint64_t(t.tv_sec) * 1'000'000u + std::uint64_t(t.tv_nsec) / 1000;
}

// Another process times its own sequence by these instants, so they must be
// on CLOCK_MONOTONIC itself and tell the first poll from the last one.
TEST(Simulateur, TheReportTellsWhenEachCommandWasFirstAndLastTakenIn) {
  Simulateur sim({"--no-pacing"});
  Hote hote(sim.PremiereLigne());
  const std::uint64_t avantPremier = MonotoneUs();
  hote.Envoyer({0x80});
  ASSERT_EQ(hote.Recevoir(), 0x81);
  const std::uint64_t apresPremier = MonotoneUs();
  usleep(20'000);
  const std::uint64_t avantDernier = MonotoneUs();
  hote.Envoyer({0x80});
  ASSERT_EQ(hote.Recevoir(), 0x81);
  const std::uint64_t apresDernier = MonotoneUs();
  hote.Fermer();
  const Simulateur::Fin fin = sim.Attendre();
  std::smatch m;
  const std::regex instants(
      "\"commandesUs\": \\{\"0x80\": \\{\"premierUs\": ([0-9]+), \"dernierUs\": ([0-9]+)\\}\\}");
  ASSERT_TRUE(std::regex_search(fin.sortie, m, instants)) << fin.sortie;
  const std::uint64_t premier = std::stoull(m[1]), dernier = std::stoull(m[2]);
  EXPECT_GE(premier, avantPremier);
  EXPECT_LE(premier, apresPremier);
  EXPECT_GE(dernier, avantDernier);
  EXPECT_LE(dernier, apresDernier);
}

}  // namespace
