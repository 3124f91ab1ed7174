// The application object of Vantrel.exe: it reads the PC's specs behind a progress window, shows
// them in the spec window, and ends when that closes.
#pragma once

#include "collect/background_pass.h"
#include "window/application.h"

namespace vantrel {

class CVantrelApp : public Application {
 public:
  // The readings it runs: the real collection pass's in the program, others in tests.
  explicit CVantrelApp(PassReaders readers);
  // Runs the pass and then the spec window until it closes; false, so the program ends with it.
  // A second copy only brings the running one's window to the front.
  bool InitInstance() override;

 private:
  PassReaders m_readers;
};

}  // namespace vantrel
