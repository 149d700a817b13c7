#include "platform/ui/win32/Win32Backend.h"

#include <algorithm>
#include <cwchar>

#include "platform/ui/win32/Win32Dialog.h"
#include "platform/ui/win32/Win32Peers.h"
#include "platform/ui/win32/Win32Text.h"

#include <mmsystem.h>
#include <objbase.h>

namespace ui {

Backend& SystemBackend() {
  static win32::Win32Backend backend;
  return backend;
}

}  // namespace ui

namespace ui::win32 {

namespace {

bool IsOurs(HWND window) {
  wchar_t name[32] = {};
  GetClassNameW(window, name, 32);
  return std::wcscmp(name, kFormClass) == 0 || std::wcscmp(name, kDialogClass) == 0;
}

BOOL CALLBACK CollectEnabled(HWND window, LPARAM list) {
  if (IsOurs(window) && IsWindowVisible(window) && IsWindowEnabled(window)) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  }
  return TRUE;
}

std::int64_t Counter() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

}  // namespace

Win32Backend::Win32Backend() : instance_(GetModuleHandleW(nullptr)) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  frequency_ = f.QuadPart;
  origin_ = Counter();
}

Win32Backend::~Win32Backend() {
  gdiplus_.reset();
  if (finePeriod_) timeEndPeriod(1);
  if (comInitialized_) CoUninitialize();
}

void Win32Backend::Queue(const void* owner, std::function<void()> input) {
  inputs_.emplace_back(owner, std::move(input));
}

void Win32Backend::Forget(const void* owner) {
  std::erase_if(inputs_, [owner](const auto& entry) { return entry.first == owner; });
}

void Win32Backend::Initialize() {
  if (initialized_) return;
  initialized_ = true;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  // The shell's open of a URL may go through COM; it wants a single-threaded
  // apartment on the thread that calls it.
  comInitialized_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
  // The transfer sends one row per 100 ms tick; the default 15.6 ms sleep
  // granularity would make every tick late by up to that much.
  finePeriod_ = timeBeginPeriod(1) == TIMERR_NOERROR;
  gdiplus_ = std::make_unique<GdiplusSession>();
  RegisterWindowClasses(instance_);
  RegisterDialogClass(instance_);
}

std::uint64_t Win32Backend::NowUs() const {
  const std::int64_t ticks = Counter() - origin_;
  return static_cast<std::uint64_t>(ticks / frequency_ * 1000000 + ticks % frequency_ * 1000000 / frequency_);
}

bool Win32Backend::DialogKeys(MSG& message) {
  // Tab, the arrows, Enter, Escape and the mnemonics, as in a dialog box:
  // the window procedures then see them as WM_COMMAND.
  if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST) return false;
  HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
  return root && IsOurs(root) && IsDialogMessageW(root, &message);
}

void Win32Backend::Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (DialogKeys(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

std::function<void()> Win32Backend::TakeInput() {
  // Lets Windows deliver what is waiting and repaint what changed, without
  // waiting; our window procedures only queue.
  Pump();
  if (inputs_.empty()) return {};
  std::function<void()> input = std::move(inputs_.front().second);
  inputs_.pop_front();
  return input;
}

bool Win32Backend::Wait(std::optional<std::uint64_t> untilUs) {
  if (!inputs_.empty()) return true;
  DWORD timeoutMs = INFINITE;
  if (untilUs) {
    const std::uint64_t now = NowUs();
    // Rounded up: waking before the due time would only make the loop spin.
    timeoutMs = *untilUs > now ? static_cast<DWORD>((*untilUs - now + 999) / 1000) : 0;
  }
  MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  Pump();
  return true;
}

void Win32Backend::PushModal(HWND modal) {
  ModalEntry entry{modal, {}};
  EnumThreadWindows(GetCurrentThreadId(), CollectEnabled, reinterpret_cast<LPARAM>(&entry.disabled));
  std::erase(entry.disabled, modal);
  for (HWND w : entry.disabled) EnableWindow(w, FALSE);
  modals_.push_back(std::move(entry));
}

void Win32Backend::PopModal(HWND modal) {
  auto it = std::find_if(modals_.begin(), modals_.end(), [modal](const ModalEntry& e) { return e.modal == modal; });
  if (it == modals_.end()) return;
  for (HWND w : it->disabled) {
    if (IsWindow(w)) EnableWindow(w, TRUE);
  }
  modals_.erase(it);
}

HWND Win32Backend::DialogOwner() const {
  if (!modals_.empty()) return modals_.back().modal;
  HWND active = GetActiveWindow();
  return active && IsOurs(active) ? active : nullptr;
}

std::unique_ptr<Peer> Win32Backend::CreatePeer(Control& control) {
  Initialize();
  return MakePeer(*this, control);
}

std::unique_ptr<DialogPeer> Win32Backend::OpenDialog(const DialogRequest& request,
                                                     std::function<void(ModalResult)> answer) {
  Initialize();
  return MakeDialog(*this, request, std::move(answer));
}

void Win32Backend::ShellOpen(const std::string& url) {
  // The default verb, a normal window; the outcome is not examined.
  ShellExecuteW(nullptr, nullptr, Widen(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

ui::TextSize Win32Backend::MeasureText(const ui::Font& font, std::string_view text) {
  ScreenDc dc;
  Selected selected(dc.Get(), gdi_.FontOf(font));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc.Get(), &metrics);
  const std::wstring wide = Widen(text);
  RECT r{0, 0, 0, 0};
  if (!wide.empty()) DrawTextW(dc.Get(), wide.c_str(), static_cast<int>(wide.size()), &r, DT_CALCRECT | DT_EXPANDTABS);
  return TextSize{r.right - r.left, std::max<int>(r.bottom - r.top, metrics.tmHeight)};
}

std::string Win32Backend::ProgramName() const {
  wchar_t path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring name(path, n);
  name = name.substr(name.find_last_of(L"\\/") + 1);
  return Narrow(name.substr(0, name.find(L'.')));
}

}  // namespace ui::win32
