#include "platform/ui/Application.h"

#include <memory>

#include "platform/ui/Form.h"

namespace ui {

namespace {

Application* current = nullptr;

std::string MessageOf(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const Exception& e) {
    return e.Message();
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return {};  // anything else becomes an Exception with no message
  }
}

}  // namespace

Application::Application(Backend& backend) : backend_(backend), previous_(current) {
  current = this;
}

Application::~Application() { current = previous_; }

Application& App() {
  if (current) return *current;
  static Application program(SystemBackend());
  return program;
}

void Application::Initialize() {
  backend_.Initialize();
  if (title_.empty()) title_ = backend_.ProgramName();
}

void Application::RunOrFail(const std::function<bool()>& done, const std::string& what) {
  if (!loop_.RunUntil(done, std::nullopt)) {
    throw BackendFailure(what + ": nothing more can happen, and nothing will end it");
  }
}

void Application::Run() {
  if (!mainForm_) return;
  mainForm_->Show();
  RunOrFail([this] { return terminated_; }, "the main form " + mainForm_->Name());
}

Form* Application::FindForm(HWND handle) const {
  auto it = forms_.find(handle);
  return it == forms_.end() ? nullptr : it->second;
}

HWND Application::Register(Form& form) {
  const HWND handle = nextHandle_++;
  forms_[handle] = &form;
  if (!mainForm_) mainForm_ = &form;
  return handle;
}

void Application::Unregister(Form& form) {
  forms_.erase(form.Handle());
  if (mainForm_ == &form) mainForm_ = nullptr;
}

bool Application::Post(HWND target, const Message& message) {
  if (!FindForm(target)) return false;
  loop_.Post(target, message);
  return true;
}

void Application::Guard(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const BackendFailure&) {
    throw;
  } catch (...) {
    ShowException(std::current_exception());
  }
}

void Application::ShowException(std::exception_ptr error) {
  DialogRequest box{.caption = title_,
                    .text = MessageOf(error),
                    .type = mtError,
                    .buttons = {mbOK},
                    .exceptionBox = true};
  RunDialog(box);
}

void Application::RunModal(Form& form) {
  modal_.push_back(&form);
  struct Pop {
    std::vector<const Form*>& stack;
    ~Pop() { stack.pop_back(); }
  } pop{modal_};
  RunOrFail([&] { return !form.Visible() || terminated_; }, "the modal form " + form.Name());
}

ModalResult Application::RunDialog(const DialogRequest& request) {
  // Shared with the back end's queued answer, which may outlive this call.
  auto answer = std::make_shared<ModalResult>(mrNone);
  auto peer = backend_.OpenDialog(request, [answer](ModalResult r) { *answer = r; });
  modal_.push_back(nullptr);
  struct Pop {
    std::vector<const Form*>& stack;
    ~Pop() { stack.pop_back(); }
  } pop{modal_};
  // The exception display stays until acknowledged, even after Terminate:
  // it may be the last thing the program says.
  const bool endsWithApp = !request.exceptionBox;
  RunOrFail([&] { return *answer != mrNone || (endsWithApp && terminated_); },
            "the dialog \"" + request.text + "\"");
  return *answer;
}

bool Application::InputAllowed(const Form& form) const {
  return modal_.empty() || modal_.back() == &form;
}

int PostMessageA(HWND handle, UINT msg, WPARAM wParam, LPARAM lParam) {
  return App().Post(handle, Message{msg, wParam, lParam, 0}) ? 1 : 0;
}

int RunProgram(const std::function<void()>& entry) {
  try {
    entry();
  } catch (const BackendFailure&) {
    throw;
  } catch (...) {
    App().ShowException(std::current_exception());
  }
  return 0;
}

}  // namespace ui
