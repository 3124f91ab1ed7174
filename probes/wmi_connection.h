// A connection to WMI's ROOT\CIMV2 namespace on the local computer, owned by whoever opened it:
// one per collection pass, made, used and released on that pass's thread.
#pragma once

#include <wbemcli.h>

#include <string>
#include <vector>

#include "probes/com_ptr.h"

namespace vantrel {

// A statement that did not end well: WBEM_S_TIMEDOUT when WMI gave it no answer in time, else the
// failure code WMI answered with.
struct WmiTrouble {
  std::wstring statement;
  HRESULT code;
};

class WmiConnection {
 public:
  WmiConnection() = default;
  WmiConnection(const WmiConnection&) = delete;
  WmiConnection& operator=(const WmiConnection&) = delete;
  ~WmiConnection() { Close(); }

  // Prepares COM on this thread, sets process security, connects (Windows gives up after two
  // minutes at most) and sets the proxy blanket. False when a step failed, with that step's code
  // in OpenFailure(); what the earlier steps obtained stays held until the close.
  bool Open();
  // The code of the step that made the last open fail (a step that succeeded without handing over
  // its object counts as E_POINTER); S_OK after an open that succeeded.
  HRESULT OpenFailure() const { return openFailure_; }
  // Releases the services, then the locator, and gives back this thread's share of COM.
  void Close();

  // The services (null when not connected) and the locator; the connection keeps the references.
  IWbemServices* Services() const { return services_.Get(); }
  IWbemLocator* Locator() const { return locator_.Get(); }

  // Called as each statement starts: how long, in milliseconds, it may go without a new object
  // before it is given up. A cold WMI loads its providers for the first statement after the open,
  // which may take 60 s; every later one gets 30 s.
  ULONGLONG StartStatement();

  void NoteTrouble(const std::wstring& statement, HRESULT code) { troubles_.push_back(WmiTrouble{statement, code}); }
  // Since the open, in the order they were noted.
  const std::vector<WmiTrouble>& Troubles() const { return troubles_; }

 private:
  bool OpenFailed(HRESULT code);

  ComPtr<IWbemLocator> locator_;
  ComPtr<IWbemServices> services_;
  // Whether an open's CoInitializeEx took a share of COM that the close must give back.
  bool holdsComShare_ = false;
  HRESULT openFailure_ = S_OK;
  int statementsStarted_ = 0;
  std::vector<WmiTrouble> troubles_;
};

}  // namespace vantrel
