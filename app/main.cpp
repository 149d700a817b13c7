// The program's entry: the main window first (so it is the main form), the
// about box next, then the message loop until the main window closes. An
// exception that escapes is shown once and the program still exits with 0.
#include "about/Boiteapropos.h"
#include "platform/ui/Ui.h"
#include "wizard/Tformmj.h"

int main() {
  return ui::RunProgram([] {
    ui::Application& application = ui::App();
    application.Initialize();
    TFormMj FormMj;
    TFormAPropos apropos;
    FormAPropos = &apropos;
    application.Run();
    FormAPropos = nullptr;
  });
}
