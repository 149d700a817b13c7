// TFormMj, the main window: the nine pages of the update wizard, the choice
// of the serial port, and the sequencer that talks to the device from the
// window's timer. It owns its controls and the link to the device.
#pragma once

#include <cstdint>
#include <string>

#include "link/Classek02.h"
#include "platform/os/Os.h"
#include "platform/ui/Ui.h"
#include "wizard/CatalogueTextes.h"
#include "wizard/LigneImage.h"

// The window's private messages, posted by the sequencer to itself.
inline constexpr ui::UINT WM_ERREUR_LIAISON = ui::WM_USER + 1;   // wParam: the link's code
inline constexpr ui::UINT WM_DELAI_CONNEXION = ui::WM_USER + 5;  // the power-on wait ran out
inline constexpr ui::UINT WM_ETAPE_TERMINEE = ui::WM_USER + 6;   // a step's work is done
inline constexpr ui::UINT WM_APPAREIL_REFUSE = ui::WM_USER + 7;  // wParam: the reason

// Why a device may not be updated (wParam of WM_APPAREIL_REFUSE).
enum RaisonRefus : ui::WPARAM { RefusModele = 0, RefusNumeroSerie = 1, RefusVersion = 2, RefusChargeur = 3 };

class TFormMj : public ui::Form {
 public:
  explicit TFormMj(os::Os& systeme = os::Systeme());
  ~TFormMj() override;

  std::int32_t LangueCourante() const { return IndexLangue; }

  // The controls, in the order the form creates them.
  ui::Label LabelTitreEtape;
  ui::Image ImageConnectAppareilaPC;
  ui::Image Image1;
  ui::Label LabelLigne1;
  ui::Label LabelLigne2;
  ui::Label LabelLigne3;
  ui::Label LabelLigne4;
  ui::Label LabelBarreProgression;
  ui::Label LabelLigne5;
  ui::Button ButtonQuitter;
  ui::Button ButtonPrecedant;
  ui::Button ButtonSuivant;
  ui::Edit EditEtape;
  ui::Button ButtonAPropos;
  ui::GroupBox GroupBoxChoixPort;
  ui::RadioButton RadioCOM1;
  ui::RadioButton RadioCOM2;
  ui::RadioButton RadioCOM3;
  ui::RadioButton RadioCOM4;
  ui::ProgressBar ProgressBarProgrammation;
  ui::Timer TimerGestionSerie;

  // What the window holds for an update; tests read it.
  std::int32_t IndexLangue = 0;
  std::uint32_t Etape = 0;
  std::uint32_t SousEtape = 0;
  std::int32_t LargeurImage = 0;
  std::int32_t IndexPort = 0;
  std::uint32_t NumeroSerie = 0;
  std::uint32_t VersionChargeur = 0;
  CK02 LiaisonSerie;
  std::uint32_t VersionMajeure = 0;
  std::uint32_t VersionMineure = 0;
  TableLignes Lignes{};
  std::int32_t IndexLigne = 0;

 private:
  os::Os& Systeme;

  // Start-up and pages.
  void Relier();
  void PageAccueil();
  void PagePreparation();
  void PageConnexion();
  void PageChoixPort();
  void PageVerificationLancement();
  void PageAttenteConnexion();
  void PageVerificationAppareil();
  void PageProgrammation();
  void PageReussite();
  void EtapeSuivante();
  void AfficherCompteurEtape();

  // Buttons.
  void ButtonQuitterClick();
  void ButtonSuivantClick();
  void ButtonPrecedantClick();
  void ButtonAProposClick();

  // Serial ports.
  void DetecterPorts();
  void RadioCOMClick(std::int32_t k);

  // Sequencer.
  void TimerGestionSerieTimer();
  void AttenteConnexion();
  void VerificationAppareil();
  void Programmation();
  void EcrireLigne(const LigneImage& ligne);
  std::int32_t RemplirLignes();
  void Poster(ui::UINT message, ui::WPARAM wParam = 0);
  void Echouer();
  void Refuser(RaisonRefus raison);
  void SurErreurLiaison(ui::Message& message);
  void SurDelaiConnexion(ui::Message& message);
  void SurEtapeTerminee(ui::Message& message);
  void SurAppareilRefuse(ui::Message& message);
  void ReprendreOuQuitter(ui::ModalResult reponse);

  // Texts of the catalogue in the window's language; with the model's name
  // in every %s.
  const char* Texte(IndexTexte entree) const;
  std::string TexteModele(IndexTexte entree) const;
};
