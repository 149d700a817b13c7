#include "about/Boiteapropos.h"

#include <array>

#include "resources/FormAPropos.h"
#include "wizard/CatalogueTextes.h"

namespace r = ressource_formapropos;

TFormAPropos* FormAPropos = nullptr;

namespace {

// The maker's details. Only the caption and the OK button follow the
// language; the other lines keep the French text they were given.
inline constexpr PaireTexte TexteTitreAPropos{{"A propos de la mise à jour", "About update"}};
inline constexpr PaireTexte TexteOk{{"&Ok", "&Ok"}};
inline constexpr PaireTexte TexteAdresse{{"12, rue des Capteurs", "12, rue des Capteurs"}};
inline constexpr PaireTexte TexteCodeVille{{"38000 Grenoble", "38000 Grenoble"}};
inline constexpr PaireTexte TextePays{{"France", "France"}};
inline constexpr PaireTexte TexteTelephone{{"Tél : +33 1 99 00 12 00", "Phone : +33 1 99 00 12 00"}};
inline constexpr PaireTexte TexteTelecopie{
    {"Télécopie  : +33 1 99 00 12 01", "Fax : +33 1 99 00 12 01"}};
inline constexpr PaireTexte TexteNomSite{
    {"Site : www.orvalis.example", "Site : www.orvalis.example"}};
inline constexpr PaireTexte TexteMel{
    {"Mèl : info@orvalis.example", "Mail : info@orvalis.example"}};

inline constexpr const char* LienSite = "http://www.orvalis.example";
inline constexpr const char* LienMel = "mailto: info@orvalis.example";

}  // namespace

TFormAPropos::TFormAPropos()
    : ui::Form(r::FormAPropos),
      ButtonOk(*this, r::ButtonOk),
      Image1(*this, r::Image1),
      LabelAdresse(*this, r::LabelAdresse),
      LabelCodeVille(*this, r::LabelCodeVille),
      LabelPays(*this, r::LabelPays),
      LabelTelephone(*this, r::LabelTelephone),
      LabelTelecopie(*this, r::LabelTelecopie),
      LabelNomSite(*this, r::LabelNomSite),
      LabelMel(*this, r::LabelMel),
      BrowseInternet{.Category = "Internet", .Caption = "&Parcourir URL",
                     .Hint = "Parcourir les URL", .URL = {}} {
  ButtonOk.OnClick = [this] { ButtonOkClick(); };
  LabelNomSite.OnClick = [this] { LabelNomSiteClick(); };
  LabelMel.OnClick = [this] { LabelMelClick(); };
  // The window's close button closes the box as OK does.
  SetCancelButton(&ButtonOk);

  IndexLangue = 0;
  SetCaption(TexteTitreAPropos[0]);
  ButtonOk.SetCaption(TexteOk[IndexLangue]);
  LabelAdresse.SetCaption(TexteAdresse[IndexLangue]);
  LabelCodeVille.SetCaption(TexteCodeVille[IndexLangue]);
  LabelPays.SetCaption(TextePays[IndexLangue]);
  LabelTelephone.SetCaption(TexteTelephone[IndexLangue]);
  LabelTelecopie.SetCaption(TexteTelecopie[IndexLangue]);
  LabelNomSite.SetCaption(TexteNomSite[IndexLangue]);
  LabelMel.SetCaption(TexteMel[IndexLangue]);
}

// Any index other than 0 or 1 is ignored: the texts have two languages only.
void TFormAPropos::ChangerLangue(std::int32_t index) {
  if (index == IndexLangue || index < 0 || index > 1) return;
  IndexLangue = index;
  SetCaption(TexteTitreAPropos[index]);
  ButtonOk.SetCaption(TexteOk[index]);
}

void TFormAPropos::ButtonOkClick() { Close(); }

void TFormAPropos::LabelNomSiteClick() {
  BrowseInternet.URL = LienSite;
  BrowseInternet.Execute();
}

void TFormAPropos::LabelMelClick() {
  BrowseInternet.URL = LienMel;
  BrowseInternet.Execute();
}
