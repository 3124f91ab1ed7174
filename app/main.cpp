// Vantrel.exe's entry: a Unicode GUI program with one application object. It reads no
// command-line option.
#include <windows.h>

#include "app/programs.h"
#include "app/vantrel_app.h"

namespace {

vantrel::CVantrelApp g_theApp(vantrel::CollectionReaders());

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return vantrel::RunVantrel(); }
