// The application object of Vantrel.exe: it reads the PC's specs behind a progress window, shows
// them in the spec window, and ends when that closes.
#pragma once

#include "collect/background_pass.h"
#include "window/application.h"

namespace vantrel {

class CVantrelApp : public Application {
 public:
  // The pass it runs: the real collection pass in the program, another in tests.
  explicit CVantrelApp(PassFunction pass);
  // Runs the pass and then the spec window until it closes; false, so the program ends with it.
  // A second copy only brings the running one's window to the front.
  bool InitInstance() override;

 private:
  PassFunction m_pass;
};

}  // namespace vantrel
