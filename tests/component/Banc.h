// The bench of the component tests: a fake machine whose COM1 leads to the
// simulated boot loader, the headless back end on the same virtual clock,
// and the program's two forms, driven as a user drives them.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "about/Boiteapropos.h"
#include "platform/os/fake/FakeOs.h"
#include "platform/ui/headless/Headless.h"
#include "sim/AppareilFake.h"
#include "sim/Chargeur.h"
#include "tests/commun/MiseAJour.h"
#include "wizard/LigneImage.h"
#include "wizard/Tformmj.h"

namespace banc {

using namespace std::chrono_literals;
using Us = std::chrono::microseconds;

inline const std::string COM1 = "\\\\.\\COM1";
inline const std::string COM2 = "\\\\.\\COM2";

// The device's end of the cable. Rebrancher powers it off and on again (a
// fresh boot loader behind the same port), which is what the transmission
// error dialog asks the user to do with the battery.
class Prise final : public os::FakeDevice {
 public:
  explicit Prise(sim::Options options = {}) { Rebrancher(std::move(options)); }
  void Rebrancher(sim::Options options) {
    appareil_.reset();
    chargeur_ = std::make_unique<sim::Chargeur>(std::move(options));
    appareil_ = std::make_unique<sim::AppareilFake>(*chargeur_);
  }
  const sim::Rapport& Rapport() const { return chargeur_->LeRapport(); }
  int Commandes(const std::string& octet) const {
    auto it = Rapport().commandes.find(octet);
    return it == Rapport().commandes.end() ? 0 : it->second;
  }

  void Receive(std::uint8_t byte, std::uint64_t us) override { appareil_->Receive(byte, us); }
  std::optional<Outgoing> Next() const override { return appareil_->Next(); }
  void Take() override { appareil_->Take(); }
  bool HungUp(std::uint64_t us) const override { return appareil_->HungUp(us); }
  void Purge() override { appareil_->Purge(); }

 private:
  std::unique_ptr<sim::Chargeur> chargeur_;
  std::unique_ptr<sim::AppareilFake> appareil_;
};

struct Banc {
  // The device alone, on COM1.
  explicit Banc(sim::Options options = {})
      : Banc(std::move(options), [](Banc& b) { b.fake.Plug(COM1, b.appareil); }) {}
  // The machine's ports are whatever `cabler` plugs, before the window probes them.
  Banc(sim::Options options, const std::function<void(Banc&)>& cabler)
      : appareil(std::move(options)), cable_((cabler(*this), true)) {
    FormAPropos = &apropos;
    ui.RunFor(0us);  // the main window on screen, as the program's loop starts
  }
  ~Banc() { FormAPropos = nullptr; }
  Banc(const Banc&) = delete;
  Banc& operator=(const Banc&) = delete;

  // A user's click, which the control takes only while its form is shown:
  // so it runs inside the loop. Returns the virtual time of the click.
  Us Cliquer(ui::Control& c) {
    const Us quand = ui.Now() + 1ms;
    ui.At(quand, [&c] { c.Click(); });
    ui.RunFor(2ms);
    return quand;
  }
  Us Suivant() { return Cliquer(form.ButtonSuivant); }
  Us Precedent() { return Cliquer(form.ButtonPrecedant); }

  // Next up to page `page` (page 6 through "&Connexion"), then the
  // sequencer's own pages as they come.
  bool AllerA(std::uint32_t page, Us limite = 120s) {
    while (form.Etape < page && form.Etape < 6) {
      const std::uint32_t avant = form.Etape;
      Suivant();
      if (form.Etape == avant) return false;
    }
    return ui.RunUntil([&] { return form.Etape == page; }, limite);
  }
  // Until the start command has been sent and the timer has stopped.
  bool Terminer(Us limite = 120s) {
    return ui.RunUntil([&] { return form.Etape == 9 && !form.TimerGestionSerie.Enabled(); },
                       limite);
  }
  bool Ferme() { return ui.App().Terminated() && !form.Visible(); }

  // Virtual times of the events with this text ("TX 91", "CloseHandle").
  std::vector<Us> Instants(const std::string& texte) const {
    std::vector<Us> t;
    for (const auto& e : fake.Events())
      if (e.text == texte) t.push_back(Us(e.us));
    return t;
  }

  os::FakeOs fake;
  ui::headless::Headless ui{fake.Clock()};
  Prise appareil;

 private:
  bool cable_;

 public:
  TFormMj form{fake};
  TFormAPropos apropos;
};

// The rows of the image built into the program.
inline constexpr std::int32_t kLignesImage = 188;

}  // namespace banc
