// zt-attendre-etape TEXT SECONDS: waits until a window of the wizard has an
// edit control whose text contains TEXT (the step counter: "9 sur 9" for
// "Etape n° 9 sur 9"; ASCII, so that no locale can change it on its way in),
// for the end-to-end run, which can read no text off the screen. Exit
// status 0 when it came, 1 when the time ran out.
#include <windows.h>

#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

struct Search {
  const wchar_t* text;
  bool found = false;
};

BOOL CALLBACK CheckChild(HWND child, LPARAM p) {
  auto* s = reinterpret_cast<Search*>(p);
  wchar_t name[16] = {};
  GetClassNameW(child, name, 16);
  if (_wcsicmp(name, L"Edit") != 0) return TRUE;
  wchar_t text[128] = {};
  // Sent, not read from memory: the wizard is another process.
  SendMessageTimeoutW(child, WM_GETTEXT, 128, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr);
  if (std::wcsstr(text, s->text)) s->found = true;
  return s->found ? FALSE : TRUE;
}

BOOL CALLBACK CheckTop(HWND top, LPARAM p) {
  wchar_t name[16] = {};
  GetClassNameW(top, name, 16);
  if (std::wcscmp(name, L"ZtForm") == 0) EnumChildWindows(top, CheckChild, p);
  return reinterpret_cast<Search*>(p)->found ? FALSE : TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 2;
  Search search{argv[1]};
  const DWORD limit = static_cast<DWORD>(std::wcstol(argv[2], nullptr, 10)) * 1000;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < limit) {
    EnumWindows(CheckTop, reinterpret_cast<LPARAM>(&search));
    if (search.found) return 0;
    Sleep(50);
  }
  return 1;
}
