// The application object: its back end and loop, its forms (the first one
// created is the main form), its title, the modal loops and the exception
// display. One exists at a time; App() returns it, or makes the program's
// own on the build's back end.
#pragma once

#include <exception>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/ui/Backend.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/EventLoop.h"
#include "platform/ui/Types.h"

namespace ui {

class Form;
class Timer;

class Application {
 public:
  explicit Application(Backend& backend);
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  void Initialize();
  // Shows the main form and runs the loop until it closes.
  void Run();
  void Terminate() { terminated_ = true; }
  bool Terminated() const { return terminated_; }

  const std::string& Title() const { return title_; }
  void SetTitle(std::string title) { title_ = std::move(title); }
  Form* MainForm() const { return mainForm_; }
  Form* FindForm(HWND handle) const;

  Backend& GetBackend() const { return backend_; }
  EventLoop& Loop() { return loop_; }

  // Runs `handler` as the loop runs every handler: an exception that escapes
  // it is shown once by the exception display, and the caller goes on.
  void Guard(const std::function<void()>& handler);
  void ShowException(std::exception_ptr error);

  // The modal loops. While one is open only its own window takes input.
  void RunModal(Form& form);
  ModalResult RunDialog(const DialogRequest& request);
  bool InputAllowed(const Form& form) const;

  // Form and timer registration, from their constructors and destructors.
  HWND Register(Form& form);
  void Unregister(Form& form);
  void AddTimer(Timer& t) { loop_.AddTimer(t); }
  void RemoveTimer(Timer& t) { loop_.RemoveTimer(t); }
  bool Post(HWND target, const Message& message);

 private:
  void RunOrFail(const std::function<bool()>& done, const std::string& what);

  Backend& backend_;
  EventLoop loop_{*this};
  Application* previous_;
  std::map<HWND, Form*> forms_;
  HWND nextHandle_ = 1;
  Form* mainForm_ = nullptr;
  std::string title_;
  bool terminated_ = false;
  std::vector<const Form*> modal_;  // null: a message dialog
};

// The current application.
Application& App();

// Win32's PostMessageA to a form's handle; FALSE when no form has it.
int PostMessageA(HWND handle, UINT msg, WPARAM wParam, LPARAM lParam);

// Runs the program's entry: an exception that escapes it is shown by the
// exception display and the program still ends with exit code 0.
int RunProgram(const std::function<void()>& entry);

}  // namespace ui
