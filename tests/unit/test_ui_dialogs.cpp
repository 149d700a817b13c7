// The message dialog's French captions and buttons, scripted answers, and
// the shell's open of a URL on the headless back end.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "platform/ui/Ui.h"
#include "platform/ui/headless/Headless.h"

using namespace std::chrono_literals;

namespace {

struct DialogCase {
  ui::MsgDlgType type;
  ui::MsgDlgButtons buttons;
  ui::ModalResult answer;
  std::string caption;
};

void PrintTo(const DialogCase& c, std::ostream* os) { *os << c.caption; }

class MessageDlgTest : public ::testing::TestWithParam<DialogCase> {};

TEST_P(MessageDlgTest, FrenchCaptionAndTheButtonPressed) {
  const DialogCase& c = GetParam();
  ui::headless::Headless ui;
  ui.QueueAnswer(c.answer);
  const std::string text = "Echec :\n   - Soit le port.\n\n  Dans ce cas.\n";
  EXPECT_EQ(ui::MessageDlg(text, c.type, c.buttons, 0), c.answer);
  ASSERT_EQ(ui.Dialogs().size(), 1u);
  const ui::headless::DialogRecord& shown = ui.Dialogs()[0];
  EXPECT_EQ(shown.request.caption, c.caption);
  EXPECT_EQ(shown.request.text, text);
  EXPECT_EQ(shown.request.buttons, c.buttons);
  EXPECT_EQ(shown.answer, c.answer);
  EXPECT_TRUE(shown.closedAt.has_value());
  EXPECT_EQ(ui.TopDialog(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Types, MessageDlgTest,
    ::testing::Values(DialogCase{ui::mtError, {ui::mbYes, ui::mbNo}, ui::mrNo, "Erreur"},
                      DialogCase{ui::mtInformation, {ui::mbYes, ui::mbNo}, ui::mrYes, "Information"},
                      DialogCase{ui::mtError, {ui::mbOK}, ui::mrOk, "Erreur"},
                      DialogCase{ui::mtConfirmation, {ui::mbYes, ui::mbNo}, ui::mrYes, "Confirmation"}));

TEST(MessageDlg, ButtonsAreFrenchWithTheirMnemonics) {
  EXPECT_EQ(ui::ButtonCaption(ui::mbYes), "&Oui");
  EXPECT_EQ(ui::ButtonCaption(ui::mbNo), "&Non");
  EXPECT_EQ(ui::ButtonCaption(ui::mbOK), "OK");
}

TEST(MessageDlg, AnswerThatIsNotAButtonOfTheDialogIsAScriptError) {
  ui::headless::Headless ui;
  ui.QueueAnswer(ui::mrOk);
  EXPECT_THROW(ui::MessageDlg("?", ui::mtError, {ui::mbYes, ui::mbNo}, 0), ui::BackendFailure);
}

TEST(MessageDlg, CallbackSeesEachDialogAndPressGoesToTheTopOne) {
  ui::headless::Headless ui;
  std::vector<std::string> seen;
  ui.OnDialog([&](const ui::headless::DialogRecord& r) {
    seen.push_back(r.request.text);
    // The first stays open 1 s, during which a second one opens above it.
    return r.request.text == "first" ? ui::headless::DialogAnswer{ui::mrYes, 1s}
                                     : ui::headless::DialogAnswer{ui::mrNone};
  });
  ui::ModalResult inner = ui::mrNone;
  ui.After(500ms, [&] { inner = ui::MessageDlg("second", ui::mtInformation, {ui::mbOK}, 0); });
  ui.After(2s, [&] { EXPECT_TRUE(ui.Press(ui::mrOk)); });
  EXPECT_EQ(ui::MessageDlg("first", ui::mtError, {ui::mbYes, ui::mbNo}, 0), ui::mrYes);
  EXPECT_EQ(seen, (std::vector<std::string>{"first", "second"}));
  EXPECT_EQ(inner, ui::mrOk);
  // The first one's Yes came while the second was on top; it went through
  // only once the second had closed.
  EXPECT_EQ(ui.Dialogs()[1].closedAt, 2s);
  EXPECT_EQ(ui.Dialogs()[0].closedAt, 2s);
}

TEST(ShellOpen, HeadlessRecordsTheUrls) {
  ui::headless::Headless ui;
  ui::ShellOpen("http://www.exemple.fr");
  ui::ShellOpen("mailto: contact@exemple.fr");
  EXPECT_EQ(ui.OpenedUrls(), (std::vector<std::string>{"http://www.exemple.fr", "mailto: contact@exemple.fr"}));
}

}  // namespace
