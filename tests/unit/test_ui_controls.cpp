// The control model: registration order, which clicks count, radio groups,
// the progress bar's range, keyboard actions, fonts, pictures.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/ui/Jpeg.h"
#include "platform/ui/Ui.h"
#include "platform/ui/headless/Headless.h"
#include "resources/Ressources.h"

namespace {

// Names the cases of a table after their `name` field.
struct ByName {
  template <class T>
  std::string operator()(const ::testing::TestParamInfo<T>& i) const {
    return i.param.name;
  }
};

// The form's design as the system's forms declare theirs: a constant table
// in creation order, one member per row.
constexpr std::array<ui::ControlDesc, 10> kPortForm{{
    {.name = "Title", .left = 8, .top = 8, .width = 200, .height = 20},
    {.name = "Quit", .left = 8, .top = 200, .width = 75, .height = 25, .tabOrder = 1},
    {.name = "Next", .left = 100, .top = 200, .width = 75, .height = 25, .tabOrder = 0, .isDefault = true},
    {.name = "Ports", .left = 150, .top = 30, .width = 129, .height = 150},
    {.name = "COM1", .left = 36, .top = 32, .width = 57, .height = 17},
    {.name = "COM2", .left = 36, .top = 74, .width = 57, .height = 17},
    {.name = "COM3", .left = 36, .top = 117, .width = 57, .height = 17},
    {.name = "Other", .left = 8, .top = 30, .width = 100, .height = 60},
    {.name = "Lone", .left = 8, .top = 20, .width = 57, .height = 17, .checked = true},
    {.name = "Bar", .left = 8, .top = 100, .width = 100, .height = 20,
     .picture = {RessourceLogo, &RessourceLogo_taille}},  // ignored by a bar; a constant all the same
}};

struct PortForm : ui::Form {
  PortForm() : ui::Form({.name = "Ports", .clientWidth = 300, .clientHeight = 250}) {}
  ui::Label title{*this, kPortForm[0]};
  ui::Button quit{*this, kPortForm[1]};
  ui::Button next{*this, kPortForm[2]};
  ui::GroupBox ports{*this, kPortForm[3]};
  ui::RadioButton com1{ports, kPortForm[4]};
  ui::RadioButton com2{ports, kPortForm[5]};
  ui::RadioButton com3{ports, kPortForm[6]};
  ui::GroupBox other{*this, kPortForm[7]};
  ui::RadioButton lone{other, kPortForm[8]};
  ui::ProgressBar bar{*this, kPortForm[9]};
};

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form.Show();
    for (ui::RadioButton* r : {&form.com1, &form.com2, &form.com3, &form.lone}) {
      r->OnClick = [this, r] { clicks.push_back(r->Name()); };
    }
  }
  std::vector<bool> Checked() const {
    return {form.com1.Checked(), form.com2.Checked(), form.com3.Checked(), form.lone.Checked()};
  }

  ui::headless::Headless ui;
  PortForm form;
  std::vector<std::string> clicks;
};

TEST_F(ControlsTest, ControlsRegisterInCreationOrderAndTabOrderIsItsOwnSort) {
  std::vector<std::string> names;
  for (ui::Control* c : form.Controls()) names.push_back(c->Name());
  EXPECT_EQ(names, (std::vector<std::string>{"Title", "Quit", "Next", "Ports", "COM1", "COM2", "COM3", "Other",
                                             "Lone", "Bar"}));
  std::vector<std::string> tabs;
  for (ui::Control* c : form.TabOrdered()) tabs.push_back(c->Name());
  // Labels and the non-stop bar hold no focus; unnumbered stops follow in creation order.
  EXPECT_EQ(tabs, (std::vector<std::string>{"Next", "Quit", "Ports", "Other"}));
  EXPECT_EQ(form.FindControl("COM2"), &form.com2);
  EXPECT_EQ(form.com2.FormLeft(), 150 + 36);
  EXPECT_EQ(form.com2.FormTop(), 30 + 74);
}

TEST_F(ControlsTest, CheckingFromCodeClicksAndUnchecksOnlyItsOwnGroup) {
  form.com2.SetChecked(true);
  EXPECT_EQ(Checked(), (std::vector<bool>{false, true, false, true}));
  form.com3.Click();
  EXPECT_EQ(Checked(), (std::vector<bool>{false, false, true, true}));
  form.com3.Click();               // already checked: nothing happens
  form.com1.SetEnabled(false);
  form.com1.Click();               // a user cannot pick a disabled port
  form.com1.SetChecked(false);     // unchecking raises nothing
  EXPECT_EQ(Checked(), (std::vector<bool>{false, false, true, true}));
  form.com1.SetChecked(true);      // code may still select it
  EXPECT_EQ(clicks, (std::vector<std::string>{"COM2", "COM3", "COM1"}));
  EXPECT_EQ(Checked(), (std::vector<bool>{true, false, false, true}));
}

struct ClickCase {
  const char* name;
  std::function<void(PortForm&)> setup;
  bool clicked;
};

void PrintTo(const ClickCase& c, std::ostream* os) { *os << c.name; }

class ClickTest : public ControlsTest, public ::testing::WithParamInterface<ClickCase> {};

TEST_P(ClickTest, OnlyAVisibleEnabledChainTakesAClick) {
  bool clicked = false;
  form.com1.OnClick = [&] { clicked = true; };
  GetParam().setup(form);
  form.com1.Click();
  EXPECT_EQ(clicked, GetParam().clicked);
  EXPECT_EQ(form.com1.Checked(), GetParam().clicked);
}

INSTANTIATE_TEST_SUITE_P(
    States, ClickTest,
    ::testing::Values(ClickCase{"usable", [](PortForm&) {}, true},
                      ClickCase{"disabled", [](PortForm& f) { f.com1.SetEnabled(false); }, false},
                      ClickCase{"hidden", [](PortForm& f) { f.com1.Hide(); }, false},
                      ClickCase{"groupDisabled", [](PortForm& f) { f.ports.SetEnabled(false); }, false},
                      ClickCase{"groupHidden", [](PortForm& f) { f.ports.Hide(); }, false},
                      ClickCase{"formHidden", [](PortForm& f) { f.Hide(); }, false}),
    ByName());

TEST_F(ControlsTest, ProgressPositionStaysInItsRange) {
  ui::ProgressBar& bar = form.bar;
  bar.SetMax(20);
  bar.SetPosition(25);
  EXPECT_EQ(bar.Position(), 20);
  bar.StepIt();  // full stays full, it does not wrap to the start
  EXPECT_EQ(bar.Position(), 20);
  bar.SetMax(10);
  EXPECT_EQ(bar.Position(), 10);
  bar.SetPosition(-3);
  EXPECT_EQ(bar.Position(), 0);
  bar.SetMin(4);
  EXPECT_EQ(bar.Position(), 4);
  bar.SetStep(3);
  bar.StepIt();
  bar.StepIt();
  EXPECT_EQ(bar.Position(), 10);
}

TEST_F(ControlsTest, EnterPressesTheDefaultButtonAndEscapeOnlyAUsableCancelButton) {
  std::vector<std::string> pressed;
  form.next.OnClick = [&] { pressed.push_back("next"); };
  form.quit.OnClick = [&] { pressed.push_back("quit"); };
  form.PressEnter();
  form.PressEscape();  // no cancel button yet: nothing
  form.SetCancelButton(&form.quit);
  form.PressEscape();
  form.CloseRequest();
  form.quit.SetEnabled(false);
  form.CloseRequest();
  form.PressEscape();
  form.quit.SetEnabled(true);
  form.quit.Hide();
  form.CloseRequest();
  EXPECT_EQ(pressed, (std::vector<std::string>{"next", "quit", "quit"}));
  EXPECT_TRUE(form.Visible());
}

TEST_F(ControlsTest, FontSizeAndPixelHeightFollowEachOther) {
  EXPECT_EQ(form.title.Font().name, "MS Sans Serif");
  EXPECT_EQ(form.title.Font().height, 11);
  for (auto [points, pixels] : {std::pair{8, 11}, {10, 13}, {12, 16}}) {
    form.title.SetFontSize(points);
    EXPECT_EQ(form.title.Font().height, pixels) << points << " pt";
    EXPECT_EQ(form.title.Font().Size(), points);
  }
  form.title.SetFontStyle(ui::FontStyle::Bold | ui::FontStyle::Italic);
  form.title.SetFontStyle(ui::FontStyle::Italic);  // a style replaces the last one
  EXPECT_TRUE(form.title.Font().style.Has(ui::FontStyle::Italic));
  EXPECT_FALSE(form.title.Font().style.Has(ui::FontStyle::Bold));
}

TEST_F(ControlsTest, AutoSizedLabelFollowsItsTextAndFont) {
  ui::Label link{form, {.name = "Link", .left = 16, .top = 136, .caption = "Site", .autoSize = true}};
  const int shortWidth = link.Width();
  EXPECT_EQ(link.Height(), 13);
  link.SetCaption("Site : www.exemple.fr");
  EXPECT_GT(link.Width(), shortWidth);
  link.SetFontSize(10);
  EXPECT_EQ(link.Height(), 16);
  form.title.SetCaption("a much longer caption than before");  // a fixed label keeps its size
  EXPECT_EQ(form.title.Width(), 200);
}

TEST(Mnemonic, TheLetterAfterASingleAmpersand) {
  EXPECT_EQ(ui::Mnemonic("&Oui"), U'O');
  EXPECT_EQ(ui::Mnemonic("&Précédent"), U'P');
  EXPECT_EQ(ui::Mnemonic("A propos && &écrire"), U'é');
  EXPECT_EQ(ui::Mnemonic("Fish && chips"), 0U);
  EXPECT_EQ(ui::Mnemonic("OK"), 0U);
}

TEST(Jpeg, SizeComesFromTheFrameHeader) {
  EXPECT_EQ(ui::JpegSize({RessourceLogo, RessourceLogo_taille}), (ui::PictureSize{330, 53}));
  EXPECT_EQ(ui::JpegSize({RessourceConnexion, RessourceConnexion_taille}), (ui::PictureSize{362, 193}));
  const std::vector<unsigned char> png(RessourceIcone, RessourceIcone + RessourceIcone_taille);
  EXPECT_FALSE(ui::JpegSize(png));
  // Cut before the frame header: not a picture, and no read past the end.
  const std::vector<unsigned char> cut(RessourceLogo, RessourceLogo + 24);
  EXPECT_FALSE(ui::JpegSize(cut));
}

TEST_F(ControlsTest, AnImageRefusesBytesThatAreNoPicture) {
  ui::Image image{form, {.name = "Image", .width = 50, .height = 50}};
  EXPECT_THROW(image.SetPicture({RessourceIcone, RessourceIcone_taille}), ui::Exception);
  image.SetPicture({RessourceConnexion, RessourceConnexion_taille});
  EXPECT_EQ(image.PictureSize(), (ui::PictureSize{362, 193}));
}

struct PlaceCase {
  const char* name;
  ui::PictureSize picture;
  int width, height;
  bool center, proportional, stretch;
  ui::Rect expected;
};

void PrintTo(const PlaceCase& c, std::ostream* os) { *os << c.name; }

class PlaceTest : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(PlaceTest, PictureLandsWhereTheDesignerPutsIt) {
  const PlaceCase& c = GetParam();
  EXPECT_EQ(ui::PlacePicture(c.picture, c.width, c.height, c.center, c.proportional, c.stretch), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, PlaceTest,
    ::testing::Values(
        // the banner, smaller than its control: centred at its own size
        PlaceCase{"bannerCentred", {330, 53}, 473, 57, true, true, false, {71, 2, 330, 53}},
        // the same banner in a lower control: shrunk to the height, aspect kept
        PlaceCase{"bannerShrunk", {330, 53}, 441, 41, true, true, false, {93, 0, 255, 41}},
        // a control half as wide: the picture unscaled from the left, clipped
        PlaceCase{"halfWidth", {362, 193}, 181, 193, false, false, false, {0, 0, 362, 193}},
        PlaceCase{"stretched", {362, 193}, 100, 50, false, false, true, {0, 0, 100, 50}},
        PlaceCase{"tallShrunk", {50, 200}, 100, 100, false, true, false, {0, 0, 25, 100}}),
    ByName());

}  // namespace
