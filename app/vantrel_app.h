// The application object of Vantrel.exe: it runs the spec window modally and then ends.
#pragma once

#include "window/application.h"

namespace vantrel {

class CVantrelApp : public Application {
 public:
  CVantrelApp() { EnableRestart(); }
  // Runs the spec window until it closes; false, so the program ends with it.
  bool InitInstance() override;
};

}  // namespace vantrel
