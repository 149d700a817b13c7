// The about box: its texts and links, its keys, and an update that goes on
// while it is open.
#include <gtest/gtest.h>

#include <string>

#include "tests/component/Pages.h"

namespace banc {
namespace {

void VerifierTextes(const TFormAPropos& a, const char* titre) {
  EXPECT_EQ(a.Caption(), titre);
  EXPECT_EQ(a.ButtonOk.Caption(), "&Ok");
  EXPECT_TRUE(a.LabelTelephone.Caption().starts_with("Tél : ")) << a.LabelTelephone.Caption();
  EXPECT_TRUE(a.LabelTelecopie.Caption().starts_with("Télécopie  : ")) << a.LabelTelecopie.Caption();
  EXPECT_TRUE(a.LabelNomSite.Caption().starts_with("Site : ")) << a.LabelNomSite.Caption();
  EXPECT_TRUE(a.LabelMel.Caption().starts_with("Mèl : ")) << a.LabelMel.Caption();
}

// The site's link opens the address its label shows, the mail link a
// "mailto: " URL of the address its label shows.
void VerifierLiens(const TFormAPropos& a, const std::string& site, const std::string& mel) {
  const std::string adresseSite = a.LabelNomSite.Caption().substr(std::string("Site : ").size());
  EXPECT_TRUE(site.starts_with("http")) << site;
  EXPECT_TRUE(site.ends_with(adresseSite)) << site << " for " << adresseSite;
  EXPECT_EQ(mel, "mailto: " + a.LabelMel.Caption().substr(std::string("Mèl : ").size()));
}

// Opened on page 8 and closed 3 s later with OK: the rows kept going out
// meanwhile, and the update ends as it would have without it.
TEST(APropos, OpenDuringTheTransferItNeitherPausesNorDisturbsIt) {
  Banc b;
  ASSERT_TRUE(b.AllerA(8));
  b.ui.RunFor(1s);
  std::int32_t aLOuverture = 0;
  std::int32_t aLaFermeture = 0;
  bool ouverte = false;
  b.ui.After(1ms, [&] {
    aLOuverture = b.form.IndexLigne;
    b.form.ButtonAPropos.Click();  // returns when the box is closed
  });
  b.ui.After(1s, [&] { b.apropos.LabelNomSite.Click(); });
  b.ui.After(2s, [&] { b.apropos.LabelMel.Click(); });
  b.ui.After(3s, [&] {
    ouverte = b.apropos.Visible();
    aLaFermeture = b.form.IndexLigne;
    b.apropos.ButtonOk.Click();
  });
  b.ui.RunFor(3100ms);
  EXPECT_TRUE(ouverte);
  EXPECT_FALSE(b.apropos.Visible());
  EXPECT_GE(aLaFermeture - aLOuverture, 25);  // about one row a tick of 100 ms
  ASSERT_EQ(b.ui.OpenedUrls().size(), 2u);
  VerifierLiens(b.apropos, b.ui.OpenedUrls()[0], b.ui.OpenedUrls()[1]);

  ASSERT_TRUE(b.Terminer());
  const sim::Rapport& r = b.appareil.Rapport();
  EXPECT_EQ(r.mots, MotsDeLImage());
  EXPECT_EQ(r.eeprom[246], 2);
  EXPECT_TRUE(r.applicationLancee);
  EXPECT_TRUE(b.ui.Dialogs().empty());
}

// The links are the addresses the labels show; after either one the box
// stays open, and Enter presses OK.
TEST(APropos, LinksOpenWhatTheLabelsShowAndEnterPressesOk) {
  Banc b;
  VerifierTextes(b.apropos, "A propos de la mise à jour");
  EXPECT_FALSE(b.apropos.Visible());
  for (int fois = 0; fois < 2; ++fois) {  // each opening shows the same box
    SCOPED_TRACE(fois == 0 ? "first opening" : "second opening");
    bool ouverte = false;
    b.ui.After(1ms, [&] { b.form.ButtonAPropos.Click(); });
    b.ui.After(2ms, [&] { b.apropos.LabelNomSite.Click(); });
    b.ui.After(3ms, [&] { b.apropos.LabelMel.Click(); });
    b.ui.After(4ms, [&] {
      ouverte = b.apropos.Visible();
      VerifierTextes(b.apropos, "A propos de la mise à jour");
      b.apropos.PressEnter();
    });
    b.ui.RunFor(5ms);
    EXPECT_TRUE(ouverte);
    EXPECT_FALSE(b.apropos.Visible());
  }
  const auto& urls = b.ui.OpenedUrls();
  ASSERT_EQ(urls.size(), 4u);
  VerifierLiens(b.apropos, urls[0], urls[1]);
  EXPECT_EQ(urls[2], urls[0]);
  EXPECT_EQ(urls[3], urls[1]);
  EXPECT_EQ(b.form.Etape, 1u);
}

// Only the caption and OK follow the language; the main window's own
// language, French, is handed over again at each opening.
TEST(APropos, ChangerLangueChangesTheCaptionAndOkOnly) {
  Banc b;
  b.apropos.ChangerLangue(1);
  VerifierTextes(b.apropos, "About update");
  b.apropos.ChangerLangue(1);
  VerifierTextes(b.apropos, "About update");
  b.ui.After(1ms, [&] { b.form.ButtonAPropos.Click(); });
  b.ui.After(2ms, [&] {
    VerifierTextes(b.apropos, "A propos de la mise à jour");
    b.apropos.ButtonOk.Click();
  });
  b.ui.RunFor(3ms);
  EXPECT_FALSE(b.apropos.Visible());
}

}  // namespace
}  // namespace banc
