#include "app/vantrel_app.h"

#include "window/vantrel_dlg.h"

namespace vantrel {

bool CVantrelApp::InitInstance() {
  Application::InitInstance();
  CVantrelDlg dialog;
  dialog.DoModal();
  return false;
}

}  // namespace vantrel
