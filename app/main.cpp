// Vantrel.exe's entry: a Unicode GUI program with one application object. It reads no
// command-line option.
#include <windows.h>

#include "app/program_start.h"
#include "app/vantrel_app.h"

namespace {

vantrel::CVantrelApp g_theApp;

}  // namespace

// A GUI program has nowhere to say why it stopped; it ends without the runtime's box.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  vantrel::LoadDllsFromSystemFolderOnly();
  return vantrel::RunGuarded([] { return vantrel::RunApplication(); }, "Vantrel", nullptr);
}
