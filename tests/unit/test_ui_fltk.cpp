// The FLTK back end in a real window under an X server (Xvfb in the tests):
// keyboard and mouse through the X server reach the model's actions, the
// dialog answers, and the loop keeps its timer grid in real time with the
// process asleep between ticks. Input is sent with xdotool, started detached
// so that the loop runs while it types. With ZT_UI_SCREENSHOTS=dir set, the
// test leaves screenshots of the window and the dialog there.
#include <gtest/gtest.h>

#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <FL/Fl.H>

#include "platform/ui/Ui.h"
#include "platform/ui/fltk/SpawnDetached.h"
#include "resources/Ressources.h"

using namespace std::chrono_literals;

namespace {

constexpr ui::FontDesc kTitleFont{.size = 12, .style = ui::FontStyle::Bold};
constexpr ui::FontDesc kBold{.size = 8, .style = ui::FontStyle::Bold};

struct Window : ui::Form {
  Window()
      : ui::Form({.name = "Essai", .clientWidth = 487, .clientHeight = 402, .caption = "Mise à jour du Orvalis ZT",
                  .icon = {RessourceIcone, &RessourceIcone_taille}}) {
    SetCancelButton(&quit);
  }
  ui::Label title{*this, {.name = "Title", .left = 8, .top = 72, .width = 473, .height = 20,
                          .caption = "Bienvenue dans la mise à jour du Orvalis ZT", .font = kTitleFont,
                          .alignment = ui::Alignment::Center}};
  ui::Image picture{*this, {.name = "Picture", .left = 32, .top = 144, .width = 181, .height = 193,
                            .enabled = false, .transparent = true,
                            .picture = {RessourceConnexion, &RessourceConnexion_taille}}};
  ui::Image banner{*this, {.name = "Banner", .left = 8, .top = 8, .width = 473, .height = 57,
                           .picture = {RessourceLogo, &RessourceLogo_taille}, .center = true,
                           .proportional = true}};
  ui::Label line{*this, {.name = "Line", .left = 8, .top = 120, .width = 465, .height = 13,
                         .caption = "Mèl : contact@exemple.fr — é à ç", .font = {.style = ui::FontStyle::Underline}}};
  ui::Label percent{*this, {.name = "Percent", .left = 8, .top = 296, .width = 473, .height = 17,
                            .caption = "Avancement de la mise à jour : 42.0 %", .font = kBold,
                            .alignment = ui::Alignment::Center}};
  ui::Button quit{*this, {.name = "Quit", .left = 227, .top = 363, .width = 75, .height = 25, .caption = "&Quitter",
                          .tabOrder = 1, .hint = "permet de quitter la mise à jours", .showHint = true}};
  ui::Button back{*this, {.name = "Back", .left = 323, .top = 363, .width = 75, .height = 25,
                          .caption = "&Précédent", .tabOrder = 2}};
  ui::Button next{*this, {.name = "Next", .left = 403, .top = 363, .width = 75, .height = 25, .caption = "&Suivant",
                          .tabOrder = 3, .isDefault = true}};
  ui::Edit step{*this, {.name = "Step", .left = 16, .top = 365, .width = 113, .height = 21,
                        .caption = "Etape n° 4 sur 9", .tabOrder = 4, .tabStop = false, .font = kBold,
                        .color = ui::clBtnFace, .readOnly = true}};
  ui::GroupBox ports{*this, {.name = "Ports", .left = 344, .top = 144, .width = 129, .height = 209,
                             .caption = "Choix du port", .tabOrder = 0}};
  ui::RadioButton com1{ports, {.name = "COM1", .left = 36, .top = 32, .width = 57, .height = 17, .caption = "COM 1"}};
  ui::RadioButton com2{ports, {.name = "COM2", .left = 36, .top = 74, .width = 57, .height = 17, .caption = "COM 2",
                               .enabled = false}};
  ui::ProgressBar bar{*this, {.name = "Bar", .left = 16, .top = 320, .width = 457, .height = 33, .tabOrder = 5,
                              .position = 42}};
  ui::Timer timer{*this, {.name = "Timer", .interval = 100, .enabled = false}};
};

class FltkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
    ui::App().Initialize();
    window.quit.OnClick = [&] { clicks.push_back("quit"); };
    window.next.OnClick = [&] { clicks.push_back("next"); };
    window.back.OnClick = [&] { clicks.push_back("back"); };
    window.Show();
    RunFor(400ms);  // mapped and drawn
    int x, y, w, h;
    Fl::screen_work_area(x, y, w, h);
    left = x + (w - 487) / 2;
    top = y + (h - 402) / 2;
    Xdo({"mousemove", std::to_string(left + 240), std::to_string(top + 200)});
    RunFor(200ms);
  }
  static void RunFor(std::chrono::milliseconds d) {
    auto& app = ui::App();
    app.Loop().RunUntil([] { return false; },
                        app.GetBackend().NowUs() + static_cast<std::uint64_t>(d.count()) * 1000);
  }
  static bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 3000ms) {
    auto& app = ui::App();
    app.Loop().RunUntil(done, app.GetBackend().NowUs() + static_cast<std::uint64_t>(limit.count()) * 1000);
    return done();
  }
  static void Xdo(std::vector<std::string> args) {
    args.insert(args.begin(), "xdotool");
    ui::fltk::SpawnDetached(args);
  }
  static void Screenshot(const std::string& name) {
    if (const char* dir = std::getenv("ZT_UI_SCREENSHOTS")) {
      ui::fltk::SpawnDetached({"import", "-window", "root", std::string(dir) + "/" + name + ".png"});
      RunFor(1500ms);
    }
  }

  Window window;
  std::vector<std::string> clicks;
  int left = 0, top = 0;
};

TEST_F(FltkTest, KeysAndClicksReachTheFormsActions) {
  Screenshot("form");
  if (std::getenv("ZT_UI_SCREENSHOTS")) {  // the Quit button's tooltip, for the eye
    Xdo({"mousemove", std::to_string(left + 227 + 30), std::to_string(top + 363 + 12)});
    RunFor(1500ms);
    Screenshot("tooltip");
    Xdo({"mousemove", std::to_string(left + 240), std::to_string(top + 200)});
    RunFor(300ms);
  }
  Xdo({"key", "Return"});  // the default button
  ASSERT_TRUE(RunUntil([&] { return clicks.size() == 1; }));
  Xdo({"key", "alt+p"});  // a mnemonic
  ASSERT_TRUE(RunUntil([&] { return clicks.size() == 2; }));
  Xdo({"key", "Escape"});  // the cancel button
  ASSERT_TRUE(RunUntil([&] { return clicks.size() == 3; }));
  window.quit.SetEnabled(false);
  Xdo({"key", "Escape"});  // nothing while the cancel button is greyed
  RunFor(500ms);
  Xdo({"mousemove", std::to_string(left + 403 + 30), std::to_string(top + 363 + 12), "click", "1"});
  ASSERT_TRUE(RunUntil([&] { return clicks.size() == 4; }));
  EXPECT_EQ(clicks, (std::vector<std::string>{"next", "back", "quit", "next"}));
}

TEST_F(FltkTest, DisabledRadioTakesNoClickAndAnEnabledOneIsChecked) {
  Xdo({"mousemove", std::to_string(left + 344 + 36 + 8), std::to_string(top + 144 + 74 + 8), "click", "1"});
  RunFor(500ms);
  EXPECT_FALSE(window.com2.Checked());
  Xdo({"mousemove", std::to_string(left + 344 + 36 + 8), std::to_string(top + 144 + 32 + 8), "click", "1"});
  EXPECT_TRUE(RunUntil([&] { return window.com1.Checked(); }));
}

TEST_F(FltkTest, DialogAnswersWithTheKeyboardAndIgnoresEscapeOnYesNo) {
  auto& backend = ui::App().GetBackend();
  ui::ModalResult answer = ui::mrNone;
  std::uint64_t openedUs = 0, answeredUs = 0;
  window.next.OnClick = [&] {
    openedUs = backend.NowUs();
    answer = ui::MessageDlg("Echec à la connexion :\n   - Soit le Orvalis ZT n'a pas été connecté.\n\n  Dans "
                            "ce dernier cas, sélectionner un autre port série dans la liste.\n",
                            ui::mtError, {ui::mbYes, ui::mbNo}, 0);
    answeredUs = backend.NowUs();
  };
  // The dialog's loop runs until it is answered: the keys come from one
  // script, Escape first (ignored by a Yes/No dialog), then Alt+N.
  std::string shot;
  if (const char* dir = std::getenv("ZT_UI_SCREENSHOTS")) shot = std::string("import -window root ") + dir + "/dialog.png; ";
  const std::string titles = ::testing::TempDir() + "zt-ui-titles";
  std::remove(titles.c_str());
  ui::fltk::SpawnDetached({"sh", "-c", "xdotool key Return; sleep 0.8; " + shot +
                                           "xdotool search --name '^Erreur$' > " + titles +
                                           "; xdotool key Escape; sleep 0.8; xdotool key alt+n"});
  ASSERT_TRUE(RunUntil([&] { return answer != ui::mrNone; }, 8000ms));
  EXPECT_EQ(answer, ui::mrNo);
  EXPECT_GT(answeredUs - openedUs, 1'400'000u) << "answered by Escape";
  std::ifstream found(titles);
  std::string windowId;
  EXPECT_TRUE(std::getline(found, windowId)) << "no window titled Erreur";
}

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

TEST_F(FltkTest, TimerKeepsItsGridInRealTimeAndTheProcessSleepsBetweenTicks) {
  auto& backend = ui::App().GetBackend();
  std::vector<std::uint64_t> ticks;
  int work = 104;
  window.timer.OnTimer = [&] {
    ticks.push_back(backend.NowUs());
    std::this_thread::sleep_for(std::chrono::milliseconds(work));  // a blocking serial exchange
  };
  window.timer.SetEnabled(true);
  ASSERT_TRUE(RunUntil([&] { return ticks.size() == 21; }, 5000ms));
  const double slowMean = static_cast<double>(ticks.back() - ticks.front()) / 20 / 1000;
  EXPECT_GT(slowMean, 103.0);
  EXPECT_LT(slowMean, 120.0);  // not the 154 ms of a timer rearmed after each handler

  // Quick ticks again: the first comes at once (it is late), then the grid.
  work = 0;
  ticks.clear();
  ASSERT_TRUE(RunUntil([&] { return ticks.size() == 1; }, 500ms));
  const double cpuBefore = CpuSeconds();
  ASSERT_TRUE(RunUntil([&] { return ticks.size() == 21; }, 5000ms));
  const double cpu = CpuSeconds() - cpuBefore;
  // On the grid, the 20th tick lands where it should whatever the delays of
  // the others (a shared machine may hold back any one of them a little).
  const double quickMean = static_cast<double>(ticks.back() - ticks[1]) / 19 / 1000;
  EXPECT_NEAR(quickMean, 100.0, 2.0);
  EXPECT_LT(cpu, 0.1) << "CPU seconds over 2 s of ticks";
  std::printf("ticks: %.1f ms apart with 104 ms of work, %.1f ms with none; %.1f ms CPU in 2 s\n", slowMean,
              quickMean, cpu * 1000);
}

}  // namespace
