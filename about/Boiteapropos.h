// TFormAPropos, the about box: the maker's banner, address and links. One
// instance lives, hidden, for the whole run; the main window shows it modally.
#pragma once

#include <cstdint>

#include "platform/ui/BrowseUrl.h"
#include "platform/ui/Ui.h"

class TFormAPropos : public ui::Form {
 public:
  TFormAPropos();

  void ChangerLangue(std::int32_t index);
  std::int32_t LIndexLangue() const { return IndexLangue; }
  const ui::BrowseUrl& LeBrowseInternet() const { return BrowseInternet; }

  ui::Button ButtonOk;
  ui::Image Image1;
  ui::Label LabelAdresse;
  ui::Label LabelCodeVille;
  ui::Label LabelPays;
  ui::Label LabelTelephone;
  ui::Label LabelTelecopie;
  ui::Label LabelNomSite;
  ui::Label LabelMel;

 private:
  void ButtonOkClick();
  void LabelNomSiteClick();
  void LabelMelClick();

  ui::BrowseUrl BrowseInternet;
  std::int32_t IndexLangue = 0;
};

// The program's about box, created right after the main window.
extern TFormAPropos* FormAPropos;
