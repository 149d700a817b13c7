// The nine pages as the user sees them, forwards and back, and the keys
// that act as the Quit button.
#include <gtest/gtest.h>

#include "tests/component/Pages.h"

namespace banc {
namespace {

// Page 1 is the one page with its own fonts: the date bold and centred, the
// closing sentence italic, larger and centred, the rest in the form's font.
void VerifierPolicesAccueil(const TFormMj& f) {
  EXPECT_EQ(f.LabelLigne1.Font().style, ui::FontStyles(ui::FontStyle::Bold));
  EXPECT_EQ(f.LabelLigne1.Alignment(), ui::Alignment::Center);
  EXPECT_EQ(f.LabelBarreProgression.Font().style, ui::FontStyles(ui::FontStyle::Italic));
  EXPECT_EQ(f.LabelBarreProgression.Font().Size(), 10);
  EXPECT_EQ(f.LabelBarreProgression.Alignment(), ui::Alignment::Center);
  for (const ui::Label* l : {&f.LabelLigne2, &f.LabelLigne3, &f.LabelLigne4}) {
    EXPECT_EQ(l->Font(), f.Font()) << l->Name();
    EXPECT_EQ(l->Alignment(), ui::Alignment::Left) << l->Name();
  }
  EXPECT_EQ(f.ButtonAPropos.Caption(), "&A propos");
  EXPECT_EQ(f.GroupBoxChoixPort.Caption(), "Choix du port série");
}

TEST(Pages, EveryPageReachedForwardsShowsWhatItsStepCalls) {
  Banc b;
  VerifierPage(b.form, 1);
  VerifierPolicesAccueil(b.form);
  for (std::uint32_t page = 2; page <= 9; ++page) {
    ASSERT_TRUE(b.AllerA(page)) << page;
    VerifierPage(b.form, page);
  }
}

TEST(Pages, BackOnPages2To5ShowsThePreviousPageAsItWasForwards) {
  Banc b;
  ASSERT_TRUE(b.AllerA(5));
  for (std::uint32_t page : {4u, 3u, 2u, 1u}) {
    b.Precedent();
    VerifierPage(b.form, page);
  }
  VerifierPolicesAccueil(b.form);
  b.Suivant();  // and page 2 again halves the picture that page 3 widened
  VerifierPage(b.form, 2);
}

// Escape and the window's close press Quit, and only while it can be
// pressed: during the verification and the transfer they do nothing.
TEST(Pages, EscapeAndCloseActAsQuitOnlyWhileQuitCanBePressed) {
  struct Cas {
    std::uint32_t page;
    Us apres;  // how long the page has run when the key comes
    bool ferme;
  };
  const Cas cas[] = {{1, 0us, true},  {4, 0us, true},    {5, 0us, true}, {6, 0us, true},
                     {7, 250ms, false}, {8, 3s, false}, {9, 0us, true}};
  for (const Cas& c : cas) {
    for (bool escape : {true, false}) {
      SCOPED_TRACE("page " + std::to_string(c.page) + (escape ? ", Escape" : ", close"));
      Banc b;
      ASSERT_TRUE(b.AllerA(c.page));
      b.ui.RunFor(c.apres);
      b.ui.After(1ms, [&] { escape ? b.form.PressEscape() : b.form.CloseRequest(); });
      b.ui.RunFor(2ms);
      EXPECT_EQ(b.Ferme(), c.ferme);
      if (c.ferme) continue;
      ASSERT_TRUE(b.Terminer());  // the update went on to its end
      EXPECT_EQ(b.appareil.Rapport().mots, MotsDeLImage());
    }
  }
}

TEST(Pages, QuitOnPage1ClosesWithoutTouchingAnyPort) {
  Banc b;
  b.fake.ClearTrace();
  b.Cliquer(b.form.ButtonQuitter);
  EXPECT_TRUE(b.Ferme());
  EXPECT_EQ(b.fake.Calls(), "");
}

}  // namespace
}  // namespace banc
