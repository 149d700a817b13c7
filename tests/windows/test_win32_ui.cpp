// The Windows back end in a real display (Xvfb, under Wine in CI): what the
// native windows show is what the model holds, at the forms' pixels; texts
// keep their accents; the loop keeps its order on the real clock, and the
// message dialog, French whatever the system's language, keeps timers and
// posted messages going while it is open.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/Ui.h"
#include "resources/Ressources.h"
#include "platform/ui/win32/Win32Peers.h"
#include "platform/ui/win32/Win32Picture.h"

namespace {

using ui::win32::Win32Peer;

// Private messages by number: <windows.h> has made WM_USER a macro here.
constexpr ui::UINT kLinkError = 1025;
constexpr ui::UINT kStepDone = 1030;
constexpr ui::Blob kLogo{RessourceLogo, &RessourceLogo_taille};

struct MainForm : ui::Form {
  MainForm() : ui::Form(ui::FormDesc{.name = "Main", .clientWidth = 487, .clientHeight = 402}) {}
  ui::Label Title{*this, {.name = "Title", .left = 8, .top = 72, .width = 473, .height = 20,
                          .caption = "Mise à jour de votre appareil",
                          .font = {.name = "MS Sans Serif", .size = 12, .style = ui::FontStyle::Bold},
                          .alignment = ui::Alignment::Center}};
  ui::Image Logo{*this, {.name = "Logo", .left = 8, .top = 8, .width = 473, .height = 57, .picture = kLogo,
                         .center = true, .proportional = true}};
  ui::Button Quit{*this, {.name = "Quit", .left = 227, .top = 363, .width = 75, .height = 25,
                          .caption = "&Quitter", .tabOrder = 1, .hint = "permet de quitter la mise à jours",
                          .showHint = true}};
  ui::Button Back{*this, {.name = "Back", .left = 323, .top = 363, .width = 75, .height = 25,
                          .caption = "&Précédent", .tabOrder = 2}};
  ui::Button Next{*this, {.name = "Next", .left = 403, .top = 363, .width = 75, .height = 25,
                          .caption = "&Suivant", .tabOrder = 3}};
  ui::Edit Step{*this, {.name = "Step", .left = 16, .top = 365, .width = 113, .height = 21,
                        .caption = "Etape n° 1 sur 9", .tabOrder = 4, .tabStop = false, .readOnly = true}};
  ui::Button About{*this, {.name = "About", .left = 139, .top = 363, .width = 75, .height = 25,
                           .caption = "&A propos", .tabOrder = 6}};
  ui::GroupBox Ports{*this, {.name = "Ports", .left = 344, .top = 144, .width = 129, .height = 209,
                             .caption = "Choix du port", .tabOrder = 0}};
  ui::RadioButton Com1{Ports, {.name = "Com1", .left = 36, .top = 32, .width = 57, .height = 17,
                               .caption = "COM 1", .tabOrder = 0}};
  ui::RadioButton Com2{Ports, {.name = "Com2", .left = 36, .top = 74, .width = 57, .height = 17,
                               .caption = "COM 2", .tabOrder = 1}};
  ui::ProgressBar Bar{*this, {.name = "Bar", .left = 16, .top = 320, .width = 457, .height = 33, .tabOrder = 5}};
};

struct AboutForm : ui::Form {
  AboutForm()
      : ui::Form(ui::FormDesc{.name = "About", .clientWidth = 446, .clientHeight = 207,
                              .border = ui::BorderStyle::Dialog}) {}
  ui::Button Ok{*this, {.name = "Ok", .left = 201, .top = 168, .width = 75, .height = 25, .caption = "&Ok",
                        .tabOrder = 0, .isDefault = true}};
};

HWND WindowOf(const ui::Control& c) { return dynamic_cast<Win32Peer*>(c.GetPeer())->Window(); }

RECT ClientRectOf(HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetAncestor(child, GA_ROOT), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

std::wstring TextOf(HWND w) {
  wchar_t buffer[256] = {};
  GetWindowTextW(w, buffer, 256);
  return buffer;
}

class Win32Ui : public ::testing::Test {
 protected:
  ui::Application app{ui::SystemBackend()};
  MainForm form;
  void SetUp() override {
    app.Initialize();
    form.Show();
  }
};

TEST_F(Win32Ui, MainWindowIsFixedWithTheMinimizeBoxAloneAndNoSystemMenu) {
  HWND w = WindowOf(form);
  RECT client;
  GetClientRect(w, &client);
  EXPECT_EQ(client.right, 487);
  EXPECT_EQ(client.bottom, 402);
  const LONG_PTR style = GetWindowLongPtrW(w, GWL_STYLE);
  EXPECT_TRUE(style & WS_CAPTION);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_SYSMENU) << "the system menu brings the close button with it";
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
}

TEST_F(Win32Ui, DialogBorderHasACloseBoxAndADefaultButton) {
  AboutForm about;
  about.Show();
  HWND w = WindowOf(about);
  EXPECT_TRUE(GetWindowLongPtrW(w, GWL_STYLE) & WS_SYSMENU);
  EXPECT_TRUE(GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
  EXPECT_EQ(GetWindow(w, GW_OWNER), WindowOf(form)) << "the about box stays above the main window";
  const LRESULT defId = SendMessageW(w, DM_GETDEFID, 0, 0);
  EXPECT_EQ(HIWORD(defId), DC_HASDEFID);
  EXPECT_EQ(GetDlgItem(w, LOWORD(defId)), WindowOf(about.Ok));
  EXPECT_EQ(GetWindowLongPtrW(WindowOf(about.Ok), GWL_STYLE) & 0x0F, BS_DEFPUSHBUTTON);
}

TEST_F(Win32Ui, ControlsSitAtTheFormsPixels) {
  for (ui::Control* c : form.Controls()) {
    SCOPED_TRACE(c->Name());
    const RECT r = ClientRectOf(WindowOf(*c));
    EXPECT_EQ(r.left, c->FormLeft());
    EXPECT_EQ(r.top, c->FormTop());
    EXPECT_EQ(r.right - r.left, c->Width());
    EXPECT_EQ(r.bottom - r.top, c->Height());
  }
  form.Ports.SetLeft(300);  // a group box's radio buttons move with it
  EXPECT_EQ(ClientRectOf(WindowOf(form.Com2)).left, 336);
}

TEST_F(Win32Ui, TextsReachTheControlsWithTheirAccents) {
  EXPECT_EQ(TextOf(WindowOf(form.Back)), L"&Pr\u00e9c\u00e9dent");
  EXPECT_EQ(TextOf(WindowOf(form.Step)), L"Etape n\u00b0 1 sur 9");
  form.SetCaption("Mise à jour du Orvalis ZT");
  EXPECT_EQ(TextOf(WindowOf(form)), L"Mise \u00e0 jour du Orvalis ZT");
}

TEST_F(Win32Ui, TabGoesInTheFormsOrderAndSkipsWhatCannotTakeIt) {
  form.Com1.SetChecked(true);
  form.Back.SetEnabled(false);
  HWND w = WindowOf(form);
  std::vector<HWND> order;
  HWND first = GetNextDlgTabItem(w, nullptr, FALSE);
  for (HWND h = first; h && (order.empty() || h != first); h = GetNextDlgTabItem(w, h, FALSE)) {
    order.push_back(h);
  }
  // The group's checked radio button only; the edit is no tab stop, the
  // disabled button is skipped.
  const std::vector<HWND> expected = {WindowOf(form.Com1), WindowOf(form.Quit), WindowOf(form.Next),
                                      WindowOf(form.About)};
  EXPECT_EQ(order, expected);
}

TEST_F(Win32Ui, HiddenGroupBoxHidesItsRadioButtons) {
  EXPECT_TRUE(IsWindowVisible(WindowOf(form.Com1)));
  form.Ports.Hide();
  EXPECT_FALSE(IsWindowVisible(WindowOf(form.Com1)));
  form.Com1.SetChecked(true);
  EXPECT_EQ(SendMessageW(WindowOf(form.Com1), BM_GETCHECK, 0, 0), BST_CHECKED);
  form.Com2.SetChecked(true);
  EXPECT_EQ(SendMessageW(WindowOf(form.Com1), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

BOOL CALLBACK CountTools(HWND w, LPARAM found) {
  wchar_t name[64] = {};
  GetClassNameW(w, name, 64);
  if (std::wstring(name) == TOOLTIPS_CLASSW) *reinterpret_cast<LRESULT*>(found) += SendMessageW(w, TTM_GETTOOLCOUNT, 0, 0);
  return TRUE;
}

TEST_F(Win32Ui, OnlyTheControlWithAHintHasATooltip) {
  LRESULT tools = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountTools, reinterpret_cast<LPARAM>(&tools));
  EXPECT_EQ(tools, 1);
  form.Quit.SetShowHint(false);
  tools = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountTools, reinterpret_cast<LPARAM>(&tools));
  EXPECT_EQ(tools, 0);
}

TEST_F(Win32Ui, FontsAreTheFormsAtTheirPixelHeight) {
  LOGFONTW title{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(WindowOf(form.Title), WM_GETFONT, 0, 0)), sizeof title, &title);
  EXPECT_EQ(title.lfHeight, -16);
  EXPECT_EQ(title.lfWeight, FW_BOLD);
  EXPECT_EQ(std::wstring(title.lfFaceName), L"MS Sans Serif");
  LOGFONTW button{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(WindowOf(form.Quit), WM_GETFONT, 0, 0)), sizeof button, &button);
  EXPECT_EQ(button.lfHeight, -11);
  EXPECT_EQ(button.lfWeight, FW_NORMAL);
}

TEST_F(Win32Ui, PicturesDecodeFromTheBytesCompiledIn) {
  struct Case {
    ui::Blob blob;
    int width, height;
  };
  for (const Case& c : {Case{kLogo, 330, 53}, Case{{RessourceConnexion, &RessourceConnexion_taille}, 362, 193}}) {
    auto bitmap = ui::win32::DecodeBitmap(c.blob.Bytes(), RGB(240, 240, 240));
    ASSERT_TRUE(bitmap);
    BITMAP info{};
    GetObjectW(bitmap.get(), sizeof info, &info);
    EXPECT_EQ(info.bmWidth, c.width);
    EXPECT_EQ(info.bmHeight, c.height);
  }
  auto icon = ui::win32::DecodeIcon(ui::Blob{RessourceIcone, &RessourceIcone_taille}.Bytes());
  EXPECT_TRUE(icon);
  const unsigned char notAPicture[] = {1, 2, 3, 4};
  EXPECT_FALSE(ui::win32::DecodeBitmap(notAPicture, 0));
}

// ---- the loop on the real clock ------------------------------------------------

TEST_F(Win32Ui, APostedMessageComesBeforeTheNextTickEvenWhenTheTickIsLate) {
  std::vector<std::string> seen;
  ui::Timer timer(form, {.name = "T", .interval = 20});
  timer.OnTimer = [&] {
    seen.push_back("tick");
    if (seen.size() == 1) {
      ui::PostMessageA(form.Handle(), kStepDone, 0, 0);
      Sleep(60);  // three periods late
    }
  };
  form.OnMessage(kStepDone, [&](ui::Message&) { seen.push_back("posted"); });
  const auto deadline = app.GetBackend().NowUs() + 2000000;
  app.Loop().RunUntil([&] { return seen.size() >= 4; }, deadline);
  ASSERT_GE(seen.size(), 3u);
  EXPECT_EQ(seen[0], "tick");
  EXPECT_EQ(seen[1], "posted");
  EXPECT_EQ(seen[2], "tick");
}

HWND FindDialog() { return FindWindowW(ui::win32::kDialogClass, nullptr); }

std::vector<std::wstring> ButtonsOf(HWND dialog) {
  std::vector<std::wstring> texts;
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    wchar_t name[32] = {};
    GetClassNameW(c, name, 32);
    if (_wcsicmp(name, L"Button") == 0) texts.push_back(TextOf(c));
  }
  return texts;
}

TEST_F(Win32Ui, MessageDialogIsFrenchAndKeepsTicksGoing) {
  int ticks = 0, ticksInDialog = 0;
  bool open = false;
  std::wstring caption;
  std::vector<std::wstring> buttons;
  ui::ModalResult result = ui::mrNone;
  ui::Timer counter(form, {.name = "Counter", .interval = 20});
  counter.OnTimer = [&] {
    ++ticks;
    if (open) ++ticksInDialog;
    HWND dialog = FindDialog();
    if (!dialog || ticksInDialog < 5) return;
    caption = TextOf(dialog);
    buttons = ButtonsOf(dialog);
    SendMessageW(GetDlgItem(dialog, 1001), BM_CLICK, 0, 0);  // the second button, "&Non"
  };
  form.OnMessage(kLinkError, [&](ui::Message&) {
    open = true;
    result = ui::MessageDlg("Un problème.\n\nVoulez vous essayer de nouveau ?", ui::mtError,
                            {ui::mbYes, ui::mbNo}, 0);
    open = false;
  });
  ui::PostMessageA(form.Handle(), kLinkError, 0, 0);
  app.Loop().RunUntil([&] { return result != ui::mrNone; }, app.GetBackend().NowUs() + 10000000);
  EXPECT_EQ(result, ui::mrNo);
  EXPECT_GE(ticksInDialog, 5);
  EXPECT_EQ(caption, L"Erreur");
  EXPECT_EQ(buttons, (std::vector<std::wstring>{L"&Oui", L"&Non"}));
  EXPECT_EQ(FindDialog(), nullptr) << "the dialog is gone once answered";
  EXPECT_TRUE(IsWindowEnabled(WindowOf(form))) << "the main window takes input again";
}

}  // namespace
