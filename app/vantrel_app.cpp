#include "app/vantrel_app.h"

#include <utility>

#include "app/program_start.h"
#include "app/programs.h"
#include "probes/unique_handle.h"
#include "window/program_window.h"
#include "window/progress_window.h"
#include "window/resource.h"
#include "window/vantrel_dlg.h"

namespace vantrel {

CVantrelApp::CVantrelApp(PassReaders readers) : m_readers(std::move(readers)) { EnableRestart(); }

bool CVantrelApp::InitInstance() {
  Application::InitInstance();
  // Held while this copy runs; a seller who sees nothing yet and starts it again gets this one. A
  // mutex that cannot be had at all (access denied: the first copy runs elevated) means one runs.
  const UniqueHandle running(CreateMutexW(nullptr, FALSE, kRunningMutexName));
  if (!running || GetLastError() == ERROR_ALREADY_EXISTS) {
    BringRunningCopyForward();
    return false;
  }
  BackgroundPass pass(m_readers);
  ProgressWindow progress(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME)));
  if (!progress.WaitFor(pass)) {
    SetExitCode(kExitIncomplete);
    return false;
  }
  CVantrelDlg dialog(pass.Outcomes());
  dialog.DoModal();
  SetExitCode(ExitCodeOf(pass.Result()));
  return false;
}

// A GUI program has nowhere to say why it stopped; it ends without the runtime's box.
int RunVantrel() {
  LoadDllsFromSystemFolderOnly();
  return RunGuarded([] { return RunApplication(); }, "Vantrel", nullptr);
}

}  // namespace vantrel
