#include "wizard/Tformmj.h"

#include "about/Boiteapropos.h"
#include "resources/FormMj.h"
#include "wizard/Formater.h"

namespace r = ressource_formmj;

// ---- Construction -------------------------------------------------------------

TFormMj::TFormMj(os::Os& systeme)
    : ui::Form(r::FormMj),
      LabelTitreEtape(*this, r::LabelTitreEtape),
      ImageConnectAppareilaPC(*this, r::ImageConnectAppareilaPC),
      Image1(*this, r::Image1),
      LabelLigne1(*this, r::LabelLigne1),
      LabelLigne2(*this, r::LabelLigne2),
      LabelLigne3(*this, r::LabelLigne3),
      LabelLigne4(*this, r::LabelLigne4),
      LabelBarreProgression(*this, r::LabelBarreProgression),
      LabelLigne5(*this, r::LabelLigne5),
      ButtonQuitter(*this, r::ButtonQuitter),
      ButtonPrecedant(*this, r::ButtonPrecedant),
      ButtonSuivant(*this, r::ButtonSuivant),
      EditEtape(*this, r::EditEtape),
      ButtonAPropos(*this, r::ButtonAPropos),
      GroupBoxChoixPort(*this, r::GroupBoxChoixPort),
      RadioCOM1(GroupBoxChoixPort, r::RadioCOM1),
      RadioCOM2(GroupBoxChoixPort, r::RadioCOM2),
      RadioCOM3(GroupBoxChoixPort, r::RadioCOM3),
      RadioCOM4(GroupBoxChoixPort, r::RadioCOM4),
      ProgressBarProgrammation(*this, r::ProgressBarProgrammation),
      TimerGestionSerie(*this, r::TimerGestionSerie),
      LiaisonSerie(systeme),
      Systeme(systeme) {
  Relier();
  Etape = 1;
  IndexLangue = 0;
  DetecterPorts();
  LargeurImage = ImageConnectAppareilaPC.Width();
  PageAccueil();
}

TFormMj::~TFormMj() = default;

// The events and messages the form's resource wires to their handlers.
void TFormMj::Relier() {
  ButtonQuitter.OnClick = [this] { ButtonQuitterClick(); };
  ButtonPrecedant.OnClick = [this] { ButtonPrecedantClick(); };
  ButtonSuivant.OnClick = [this] { ButtonSuivantClick(); };
  ButtonAPropos.OnClick = [this] { ButtonAProposClick(); };
  RadioCOM1.OnClick = [this] { RadioCOMClick(1); };
  RadioCOM2.OnClick = [this] { RadioCOMClick(2); };
  RadioCOM3.OnClick = [this] { RadioCOMClick(3); };
  RadioCOM4.OnClick = [this] { RadioCOMClick(4); };
  TimerGestionSerie.OnTimer = [this] { TimerGestionSerieTimer(); };
  OnMessage(WM_ERREUR_LIAISON, [this](ui::Message& m) { SurErreurLiaison(m); });
  OnMessage(WM_DELAI_CONNEXION, [this](ui::Message& m) { SurDelaiConnexion(m); });
  OnMessage(WM_ETAPE_TERMINEE, [this](ui::Message& m) { SurEtapeTerminee(m); });
  OnMessage(WM_APPAREIL_REFUSE, [this](ui::Message& m) { SurAppareilRefuse(m); });
  // Escape and the window manager's close act as the Quit button, and only
  // while it can be pressed: nothing cuts a transfer short.
  SetCancelButton(&ButtonQuitter);
}

const char* TFormMj::Texte(IndexTexte entree) const {
  return CatalogueTextes[static_cast<std::size_t>(entree)][IndexLangue];
}

std::string TFormMj::TexteModele(IndexTexte entree) const {
  return Formater(Texte(entree), LiaisonSerie.NomModele(), LiaisonSerie.NomModele());
}

void TFormMj::AfficherCompteurEtape() {
  EditEtape.SetText(Formater(Texte(TexteEtape), static_cast<int>(Etape), 9));
}

// ---- Pages ------------------------------------------------------------------------

void TFormMj::PageAccueil() {
  ButtonPrecedant.SetEnabled(false);
  GroupBoxChoixPort.Hide();
  ImageConnectAppareilaPC.Hide();
  SetCaption(TexteModele(TexteTitreFenetre));
  ButtonQuitter.SetCaption(Texte(TexteQuitter));
  ButtonPrecedant.SetCaption(Texte(TextePrecedent));
  ButtonSuivant.SetCaption(Texte(TexteSuivant));
  AfficherCompteurEtape();
  LabelTitreEtape.SetCaption(TexteModele(TexteTitreAccueil));
  ButtonAPropos.SetCaption(Texte(TexteAPropos));
  GroupBoxChoixPort.SetCaption(Texte(TexteChoixPort));
  LabelLigne1.SetCaption(Texte(TexteDateMiseAJour));
  LabelLigne1.SetAlignment(ui::Alignment::Center);
  LabelLigne1.SetFontStyle(ui::FontStyle::Bold);
  LabelLigne2.SetCaption(Texte(TexteBonjour));
  LabelLigne3.SetCaption(TexteModele(TexteAccueil1));
  LabelLigne4.SetCaption(Texte(TexteAccueil2));
  LabelBarreProgression.SetCaption(Texte(TexteAccueil3));
  LabelBarreProgression.SetFontStyle(ui::FontStyle::Italic);
  LabelBarreProgression.SetFontSize(10);
  LabelBarreProgression.SetAlignment(ui::Alignment::Center);
  for (ui::Label* l : {&LabelLigne1, &LabelLigne2, &LabelLigne3, &LabelLigne4, &LabelBarreProgression})
    l->Show();
  LabelLigne5.Hide();
}

void TFormMj::PagePreparation() {
  LabelTitreEtape.SetCaption(TexteModele(TexteTitrePreparation));
  LabelLigne1.SetAlignment(ui::Alignment::Left);
  LabelLigne1.SetFontStyle({});
  LabelBarreProgression.SetFontStyle({});
  LabelBarreProgression.SetFontSize(8);
  LabelBarreProgression.SetAlignment(ui::Alignment::Left);
  LabelBarreProgression.Hide();
  LabelLigne1.SetCaption(TexteModele(TextePreparation));
  LabelLigne1.Show();
  for (ui::Label* l : {&LabelLigne2, &LabelLigne3, &LabelLigne4, &LabelLigne5}) l->Hide();
  ImageConnectAppareilaPC.SetWidth(LargeurImage / 2);
  ButtonPrecedant.SetEnabled(true);
  ImageConnectAppareilaPC.Show();
  AfficherCompteurEtape();
}

void TFormMj::PageConnexion() {
  LabelTitreEtape.SetCaption(TexteModele(TexteTitreConnexion));
  ImageConnectAppareilaPC.SetWidth(LargeurImage);
  LabelLigne1.SetCaption(Texte(TexteConnexionCordon));
  LabelLigne1.Show();
  for (ui::Label* l : {&LabelLigne2, &LabelLigne3, &LabelLigne4, &LabelLigne5}) l->Hide();
  ImageConnectAppareilaPC.Show();
  GroupBoxChoixPort.Hide();
  AfficherCompteurEtape();
}

void TFormMj::PageChoixPort() {
  LabelTitreEtape.SetCaption(Texte(TexteTitreChoixPort));
  ButtonQuitter.SetCaption(Texte(TexteQuitter));
  ImageConnectAppareilaPC.Hide();
  LabelLigne1.SetFontStyle({});
  LabelLigne1.SetCaption(Texte(TexteChoixPortConsigne));
  LabelLigne1.Show();
  for (ui::Label* l : {&LabelLigne2, &LabelLigne3, &LabelLigne4, &LabelLigne5}) l->Hide();
  GroupBoxChoixPort.Show();
  ButtonSuivant.SetCaption(Texte(TexteSuivant));
  ButtonPrecedant.SetCaption(Texte(TextePrecedent));
  AfficherCompteurEtape();
  ProgressBarProgrammation.Hide();
  LabelBarreProgression.Hide();
  ButtonPrecedant.Show();
  ButtonSuivant.SetEnabled(true);
}

// Back is shown here on every route: after a failure dialog from page 7 or 8
// it would otherwise stay hidden, and page 6 would then have no "&Annuler".
void TFormMj::PageVerificationLancement() {
  LabelTitreEtape.SetCaption(Texte(TexteTitreVerificationLancement));
  ButtonSuivant.SetCaption(Texte(TexteConnexion));
  ButtonPrecedant.SetCaption(Texte(TextePrecedent));
  ButtonQuitter.SetCaption(Texte(TexteQuitter));
  ButtonSuivant.Show();
  ButtonSuivant.SetEnabled(true);
  GroupBoxChoixPort.Hide();
  LabelLigne1.SetCaption(TexteModele(TexteVerifierConnexion));
  LabelLigne2.SetCaption(TexteModele(TexteApresConnexion));
  LabelLigne4.SetCaption(TexteModele(TexteCliquerConnexion));
  for (ui::Label* l : {&LabelLigne1, &LabelLigne2, &LabelLigne4}) l->Show();
  LabelLigne3.Hide();
  LabelLigne5.Hide();
  LabelBarreProgression.Hide();
  ProgressBarProgrammation.Hide();
  AfficherCompteurEtape();
  ButtonQuitter.SetEnabled(true);
  ButtonPrecedant.Show();
}

// The countdown line is shown during the wait, so that the user sees how long
// is left to switch the device on; it starts at the whole 30 s.
void TFormMj::PageAttenteConnexion() {
  for (ui::Label* l : {&LabelLigne2, &LabelLigne3, &LabelLigne4, &LabelLigne5}) l->Hide();
  LabelTitreEtape.SetCaption(Texte(TexteTitreAttente));
  LabelLigne1.SetFontStyle(ui::FontStyle::Bold);
  LabelLigne1.SetCaption(TexteModele(TexteMettreEnMarche));
  ButtonPrecedant.SetCaption(Texte(TexteAnnuler));
  ProgressBarProgrammation.SetPosition(0);
  ProgressBarProgrammation.SetMin(0);
  ProgressBarProgrammation.SetMax(20);
  ProgressBarProgrammation.SetStep(1);
  IndexLigne = 0;
  ProgressBarProgrammation.SetSmooth(false);
  ProgressBarProgrammation.Hide();
  ButtonSuivant.SetEnabled(false);
  LiaisonSerie.ChoisirPort(IndexPort);
  TimerGestionSerie.SetInterval(2250);
  TimerGestionSerie.SetEnabled(true);
  AfficherCompteurEtape();
  LabelBarreProgression.SetCaption(
      Formater(Texte(TexteTempsRestant), LiaisonSerie.NomModele(), 30.0));
  LabelBarreProgression.Show();
}

void TFormMj::PageVerificationAppareil() {
  LabelLigne1.SetFontStyle({});
  LabelTitreEtape.SetCaption(Texte(TexteTitreVerificationAppareil));
  AfficherCompteurEtape();
  ProgressBarProgrammation.Hide();
  ButtonPrecedant.Hide();
  LabelBarreProgression.Hide();
  LabelLigne1.Hide();
  LabelLigne5.Hide();
  SousEtape = 0;
  ButtonQuitter.SetEnabled(false);
  TimerGestionSerie.SetInterval(200);
  TimerGestionSerie.SetEnabled(true);
}

void TFormMj::PageProgrammation() {
  ProgressBarProgrammation.SetPosition(0);
  ProgressBarProgrammation.SetSmooth(true);
  ProgressBarProgrammation.SetStep(1);
  LabelTitreEtape.SetCaption(TexteModele(TexteTitreProgrammation));
  LabelBarreProgression.SetCaption(
      Formater(Texte(TexteAvancement), static_cast<double>(ProgressBarProgrammation.Position()) /
                                           ProgressBarProgrammation.Max() * 100));
  LabelLigne5.SetCaption(TexteModele(TexteTransmission));
  LabelLigne5.Show();
  ProgressBarProgrammation.Show();
  LabelBarreProgression.Show();
  TimerGestionSerie.SetInterval(100);
  TimerGestionSerie.SetEnabled(true);
  AfficherCompteurEtape();
}

void TFormMj::PageReussite() {
  LabelTitreEtape.SetCaption(Texte(TexteTitreReussite));
  ButtonSuivant.Hide();
  ButtonQuitter.SetCaption(Texte(TexteNon));
  ButtonPrecedant.SetCaption(Texte(TexteOui));
  ButtonPrecedant.Show();
  LabelBarreProgression.SetCaption(TexteModele(TexteAutreAppareil));
  ProgressBarProgrammation.Hide();
  ButtonQuitter.SetEnabled(true);
  for (ui::Label* l : {&LabelLigne1, &LabelLigne2, &LabelLigne3, &LabelLigne4, &LabelLigne5})
    l->Hide();
  AfficherCompteurEtape();
}

void TFormMj::EtapeSuivante() {
  ++Etape;
  switch (Etape) {
    case 2: PagePreparation(); break;
    case 3: PageConnexion(); break;
    case 4: PageChoixPort(); break;
    case 5: PageVerificationLancement(); break;
    case 6: PageAttenteConnexion(); break;
    case 7: PageVerificationAppareil(); break;
    case 8: PageProgrammation(); break;
    case 9: PageReussite(); break;
    default: break;
  }
}

// ---- Buttons ----------------------------------------------------------------------

void TFormMj::ButtonQuitterClick() { Close(); }

void TFormMj::ButtonSuivantClick() { EtapeSuivante(); }

void TFormMj::ButtonPrecedantClick() {
  --Etape;
  switch (Etape) {
    case 1: PageAccueil(); break;
    case 2: PagePreparation(); break;
    case 3: PageConnexion(); break;
    case 4: PageChoixPort(); break;
    case 5:
      TimerGestionSerie.SetEnabled(false);
      PageVerificationLancement();
      break;
    case 8:
      Etape = 5;
      LiaisonSerie.FinSession();
      PageVerificationLancement();
      break;
    default: break;
  }
}

void TFormMj::ButtonAProposClick() {
  if (!FormAPropos) return;
  FormAPropos->ChangerLangue(LangueCourante());
  FormAPropos->ShowModal();
}

// ---- Serial ports -----------------------------------------------------------------

void TFormMj::DetecterPorts() {
  ui::RadioButton* const boutons[] = {&RadioCOM1, &RadioCOM2, &RadioCOM3, &RadioCOM4};
  int selectionnes = 0;
  for (int n = 1; n <= 5; ++n) {
    const std::string chemin = "\\\\.\\COM" + std::to_string(n);
    const os::HANDLE h = Systeme.CreateFileA(chemin.c_str(), os::GENERIC_READ | os::GENERIC_WRITE,
                                             0, nullptr, os::OPEN_EXISTING, 0, 0);
    if (h != os::INVALID_HANDLE_VALUE) {
      Systeme.CloseHandle(h);
      if (selectionnes == 0 && n <= 4) {
        boutons[n - 1]->SetChecked(true);
        IndexPort = n - 1;
        selectionnes = 1;
      }
    } else if (Systeme.GetLastError() == os::ERROR_FILE_NOT_FOUND && n <= 4) {
      boutons[n - 1]->SetEnabled(false);
    }
  }
}

void TFormMj::RadioCOMClick(std::int32_t k) {
  if (IndexPort == k - 1) return;
  IndexPort = k - 1;
  LiaisonSerie.Fermer();
}

// ---- Sequencer --------------------------------------------------------------------

void TFormMj::Poster(ui::UINT message, ui::WPARAM wParam) {
  ui::PostMessageA(Handle(), message, wParam, 0);
}

// A link operation failed: the dialog says so and offers to try again.
void TFormMj::Echouer() {
  TimerGestionSerie.SetEnabled(false);
  Poster(WM_ERREUR_LIAISON, static_cast<ui::WPARAM>(LiaisonSerie.DerniereErreur()));
}

void TFormMj::Refuser(RaisonRefus raison) {
  TimerGestionSerie.SetEnabled(false);
  Poster(WM_APPAREIL_REFUSE, raison);
}

void TFormMj::TimerGestionSerieTimer() {
  switch (Etape) {
    case 6: AttenteConnexion(); break;
    case 7: VerificationAppareil(); break;
    case 8: Programmation(); break;
    case 9:
      LiaisonSerie.LancerApplication();
      TimerGestionSerie.SetEnabled(false);
      break;
    default: break;
  }
}

// Step 6: one poll of a second per tick, until the boot loader answers or
// the bar, a hidden counter of 20 ticks, is full.
void TFormMj::AttenteConnexion() {
  if (LiaisonSerie.Connecter(1) == 0) {
    TimerGestionSerie.SetEnabled(false);
    Poster(WM_ETAPE_TERMINEE);
    return;
  }
  const int p = ProgressBarProgrammation.Position() + 1;
  if (p >= ProgressBarProgrammation.Max()) {
    TimerGestionSerie.SetEnabled(false);
    Poster(WM_DELAI_CONNEXION);
    LiaisonSerie.Fermer();
  }
  ProgressBarProgrammation.SetPosition(p);
  const int q = ProgressBarProgrammation.Position();
  LabelBarreProgression.SetCaption(
      Formater(Texte(TexteTempsRestant), LiaisonSerie.NomModele(), 30 - 1.5 * q));
}

// Step 7: one check per tick; a good boot-loader version goes straight on to
// the serial number in the same tick.
void TFormMj::VerificationAppareil() {
  switch (SousEtape) {
    case 0: {
      const std::int32_t code = LiaisonSerie.VerifierModele();
      if (code == ERR_MAUVAIS_MODELE) return Refuser(RefusModele);
      if (code != 0) return Echouer();
      SousEtape = 1;
      LabelLigne1.SetCaption(Texte(TexteTypeCorrect));
      LabelLigne1.Show();
      return;
    }
    case 1: {
      std::int32_t version = 0;
      if (LiaisonSerie.LireVersionChargeur(version) != 0) return Echouer();
      VersionChargeur = static_cast<std::uint32_t>(version);
      if (VersionChargeur != 1) return Refuser(RefusChargeur);
      const std::int32_t n = RemplirLignes();
      ProgressBarProgrammation.SetPosition(0);
      ProgressBarProgrammation.SetSmooth(true);
      ProgressBarProgrammation.SetMax(n);
      SousEtape = 2;
      [[fallthrough]];
    }
    case 2: {
      if (LiaisonSerie.LireNumeroSerie(NumeroSerie) != 0) return Echouer();
      SousEtape = 3;
      LabelLigne2.SetCaption(
          Formater(Texte(TexteNumeroSerie), static_cast<unsigned long>(NumeroSerie)));
      LabelLigne2.Show();
      if (NumeroSerie < 200000000u || NumeroSerie > 299999999u) return Refuser(RefusNumeroSerie);
      return;
    }
    case 3: {
      std::int32_t majeure = 0;
      std::int32_t mineure = 0;
      if (LiaisonSerie.LireVersion(majeure, mineure) != 0) return Echouer();
      VersionMajeure = static_cast<std::uint32_t>(majeure);
      VersionMineure = static_cast<std::uint32_t>(mineure);
      if (!(VersionMajeure == 0 || (VersionMajeure == 1 && VersionMineure < 2)))
        return Refuser(RefusVersion);
      LabelLigne3.SetCaption(Texte(TexteVersionCorrecte));
      LabelLigne3.Show();
      SousEtape = 4;
      return;
    }
    case 4: {
      LabelLigne4.SetCaption(Texte(TextePreparationTransmission));
      LabelLigne4.Show();
      if (LiaisonSerie.Deverrouiller() != 0) return Echouer();
      if (LiaisonSerie.DemarrerProgrammation() != 0) return Echouer();
      TimerGestionSerie.SetEnabled(false);
      Poster(WM_ETAPE_TERMINEE);
      return;
    }
    default: return;
  }
}

std::int32_t TFormMj::RemplirLignes() { return ::RemplirLignes(Lignes); }

// Step 8: one row of the image per tick.
void TFormMj::Programmation() {
  const std::int32_t n = ProgressBarProgrammation.Max();
  const std::int32_t k = IndexLigne;
  // The image built in always ends with its end-of-file row; should the rows
  // run out all the same, the update has failed and must not pass for done.
  if (k >= n) return Echouer();
  ++IndexLigne;
  LabelBarreProgression.SetCaption(
      Formater(Texte(TexteAvancement), static_cast<double>(k) / n * 100));
  ProgressBarProgrammation.SetPosition(k + 1);
  const LigneImage ligne(Lignes[static_cast<std::size_t>(k)]);
  ProgressBarProgrammation.StepIt();
  EcrireLigne(ligne);
}

// The version stamp is checked like every other write: a device whose stamp
// failed keeps its former version, and the next attempt sends the whole
// image again instead of leaving a device that claims a version it lacks.
void TFormMj::EcrireLigne(const LigneImage& ligne) {
  if (ligne.TypeEnregistrement == TypeFinFichier) {
    if (LiaisonSerie.EcrireVersion(1, 2) != 0) return Echouer();
    Poster(WM_ETAPE_TERMINEE);
    return;
  }
  if (ligne.TypeEnregistrement == TypeAdresseEtendue) return;
  if (DansFenetreProgramme(ligne.AdresseMot)) {
    for (std::int32_t i = 0; i < ligne.NbMots; ++i) {
      if (LiaisonSerie.EcrireMotProgramme(static_cast<std::uint32_t>(ligne.AdresseMot + i),
                                          static_cast<std::uint32_t>(ligne.Mot(i))) != 0)
        return Echouer();
    }
  }
  if (DansFenetreEeprom(ligne.AdresseMot)) {
    for (std::int32_t i = 0; i < ligne.NbMots; ++i) {
      if (LiaisonSerie.EcrireOctetEeprom(AdresseEeprom(ligne.AdresseMot, i),
                                         ligne.OctetEeprom(i)) != 0)
        return Echouer();
    }
  }
}

// ---- Messages -----------------------------------------------------------------------

void TFormMj::ReprendreOuQuitter(ui::ModalResult reponse) {
  if (reponse == ui::mrYes) {
    Etape = 4;
    EtapeSuivante();
  } else {
    Close();
  }
}

void TFormMj::SurErreurLiaison(ui::Message&) {
  LiaisonSerie.FinSession();
  ReprendreOuQuitter(ui::MessageDlg(Texte(TexteErreurTransmission), ui::mtError,
                                    {ui::mbYes, ui::mbNo}, 0));
}

void TFormMj::SurDelaiConnexion(ui::Message&) {
  ui::MessageDlg(TexteModele(TexteEchecConnexion), ui::mtError, {ui::mbOK}, 0);
  Etape = 3;
  EtapeSuivante();
}

void TFormMj::SurEtapeTerminee(ui::Message&) { EtapeSuivante(); }

void TFormMj::SurAppareilRefuse(ui::Message& message) {
  LiaisonSerie.FinSession();
  IndexTexte texte;
  ui::MsgDlgType type = ui::mtError;
  switch (message.wParam) {
    case RefusModele: texte = TexteRefusModele; break;
    case RefusNumeroSerie: texte = TexteRefusNumeroSerie; break;
    case RefusChargeur: texte = TexteRefusChargeur; break;
    case RefusVersion:
      texte = (VersionMajeure == 1 && VersionMineure == 2) ? TexteDejaAJour : TexteVersionPlusRecente;
      type = ui::mtInformation;
      break;
    default: return;
  }
  ReprendreOuQuitter(ui::MessageDlg(TexteModele(texte), type, {ui::mbYes, ui::mbNo}, 0));
}
