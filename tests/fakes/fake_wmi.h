// A scripted WMI for unit tests: fake COM entry points and fake locator, services, enumerators
// and result objects that answer as the test scripts them and record every argument they get.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <wbemcli.h>

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "fakes/scoped_table.h"
#include "probes/com_entry_points.h"

namespace vantrel::testing {

// A property value that a fake object answers Get with.
class FakeValue {
 public:
  static FakeValue Text(std::wstring text);        // VT_BSTR (may hold embedded NULs)
  static FakeValue NullBstr();                     // VT_BSTR with a null pointer
  static FakeValue Null();                         // VT_NULL
  static FakeValue Empty();                        // VT_EMPTY
  static FakeValue Int(LONG value);                // VT_I4
  static FakeValue Variant(const VARIANT& value);  // any VARIANT (copied with VariantCopy)
  static FakeValue Failure(HRESULT code);          // Get fails with this code
  // VT_UNKNOWN holding a reference to a counted object of the FakeWmi, so that a value the
  // reader forgot to clear shows up in OutstandingReferences().
  static FakeValue CountedObject();
  // VT_BYREF | the target's type, pointing at the target's payload; ByRefVariant gives
  // VT_BYREF | VT_VARIANT pointing at the whole target. Every copy keeps the target alive, so
  // the reference stays good for as long as any object answers with it.
  static FakeValue ByRef(const FakeValue& target);
  static FakeValue ByRefVariant(const FakeValue& target);

  FakeValue(const FakeValue& other);
  FakeValue& operator=(const FakeValue& other);
  ~FakeValue();

  const VARIANT& Value() const { return value_; }
  HRESULT FailureCode() const { return failure_; }
  bool IsCountedObject() const { return countedObject_; }

 private:
  FakeValue();

  VARIANT value_;
  HRESULT failure_ = S_OK;
  bool countedObject_ = false;
  std::shared_ptr<FakeValue> referenced_;  // what a by-reference value points into
};

// One result object: property name -> value; Get of a name not listed fails with WBEM_E_NOT_FOUND.
// Names match exactly; where a name is listed twice, the first entry answers.
using FakeObject = std::vector<std::pair<std::wstring, FakeValue>>;

struct FakeQueryAnswer {
  std::vector<FakeObject> objects;
  HRESULT execQueryResult = S_OK;  // a failure code makes ExecQuery fail
  bool noEnumerator = false;       // ExecQuery succeeds without giving an enumerator
  int failNextAt = -1;             // the zero-based Next call that fails (-1: none)
  HRESULT nextFailure = WBEM_E_FAILED;
  int nullObjectAt = -1;  // the Next call that reports one object but gives null
  // Waits, on the FakeWmi's clock, as a Next with a time-out sees them: WMI takes this long before
  // the first object (or the end), and from the hangFrom'th Next on it never answers.
  ULONGLONG firstObjectDelay = 0;
  int hangFrom = -1;
};

// Arguments as the fakes received them.
struct CoInitializeExArgs {
  void* reserved;
  DWORD coInit;
};
struct CoInitializeSecurityArgs {
  PSECURITY_DESCRIPTOR descriptor;
  LONG authServiceCount;
  SOLE_AUTHENTICATION_SERVICE* authServices;
  void* reserved1;
  DWORD authnLevel;
  DWORD impLevel;
  void* authList;
  DWORD capabilities;
  void* reserved3;
};
struct CoCreateInstanceArgs {
  CLSID clsid;
  IUnknown* outer;
  DWORD context;
  IID iid;
  bool outGiven;
};
struct ConnectServerArgs {
  std::wstring networkResource;  // the text of the BSTR (empty for a null one)
  UINT resourceLength;           // SysStringLen of it: a real BSTR carries its length
  BSTR user;                     // the other BSTRs only as pointers, to test for null
  BSTR password;
  BSTR locale;
  LONG securityFlags;
  BSTR authority;
  IWbemContext* context;
};
struct ProxyBlanketArgs {
  IUnknown* proxy;
  DWORD authnService;
  DWORD authzService;
  OLECHAR* serverPrincipal;
  DWORD authnLevel;
  DWORD impLevel;
  RPC_AUTH_IDENTITY_HANDLE authInfo;
  DWORD capabilities;
};
struct ExecQueryArgs {
  std::wstring language;
  std::wstring statement;
  LONG flags;
  IWbemContext* context;
};
struct NextArgs {
  LONG timeout;
  ULONG count;
};
struct GetArgs {
  std::wstring name;
  LONG flags;
  VARTYPE typeOnEntry;  // VT_EMPTY when the reader initialised the value
  bool typeAsked;
  bool flavourAsked;
};

class FakeComObject;
class FakeLocator;
class FakeServices;
class FakeEnumerator;
class FakeClassObject;

// Installs itself in ComApi() for its lifetime; one at a time. The objects it hands out count
// their references instead of deleting themselves; the FakeWmi owns them.
class FakeWmi {
 public:
  FakeWmi();  // fills ComApi() with fakes (restored by the destructor); clears PlatformLog()
  ~FakeWmi();  // puts the real entry points back
  FakeWmi(const FakeWmi&) = delete;
  FakeWmi& operator=(const FakeWmi&) = delete;

  // Statements not answered get `unscripted`: an enumerator over no objects unless the test changes
  // it. A second answer replaces the first.
  void Answer(std::wstring statement, FakeQueryAnswer answer);
  FakeQueryAnswer unscripted;

  // The clock that ComApi() reads, in milliseconds, moved only by the fakes' waits. With realTime
  // (for benchmarks) the waits really pass and the clock is the real one.
  std::atomic<ULONGLONG> now{0};  // moved by the pass's thread, read by the test's
  bool realTime = false;
  // ConnectServer never answers: with WBEM_FLAG_CONNECT_USE_MAX_WAIT it fails after two minutes,
  // as Windows does; without it, it would wait for ever, which fails the test.
  bool connectHangs = false;

  // Step results of the open, all S_OK/true by default. A success code is handed on as it is.
  HRESULT coInitializeResult = S_OK, coInitializeSecurityResult = S_OK, coCreateInstanceResult = S_OK,
          connectServerResult = S_OK, proxyBlanketResult = S_OK;
  bool giveLocator = true, giveServices = true;

  // What the fakes saw:
  std::vector<std::wstring> statements;  // ExecQuery statement texts, in order
  int uninitializeCount = 0;             // CoUninitialize calls
  std::vector<CoInitializeExArgs> coInitializeExCalls;
  std::vector<CoInitializeSecurityArgs> coInitializeSecurityCalls;
  std::vector<CoCreateInstanceArgs> coCreateInstanceCalls;
  std::vector<ConnectServerArgs> connectServerCalls;
  std::vector<ProxyBlanketArgs> proxyBlanketCalls;
  std::vector<ExecQueryArgs> execQueryCalls;
  std::vector<NextArgs> nextCalls;
  std::vector<GetArgs> getCalls;
  // Every call the fakes received, in order: "CoInitializeEx", "CoInitializeSecurity",
  // "CoCreateInstance", "ConnectServer", "CoSetProxyBlanket", "CoUninitialize", "ExecQuery",
  // "Next", "Get", and "Release locator" / "Release services" / "Release enumerator" /
  // "Release object" / "Release value".
  std::vector<std::wstring> calls;

  // The one locator and the one services object that this fake hands out.
  IWbemLocator* Locator() const;
  IWbemServices* Services() const;
  LONG LocatorReferences() const;
  LONG ServicesReferences() const;

  LONG OutstandingReferences() const;  // references handed out and not yet released
  LONG ExcessReleases() const;         // Release calls on objects that held no reference
  int EnumeratorsCreated() const;
  int ObjectsDelivered() const;  // result objects handed out by Next

 private:
  friend class FakeLocator;
  friend class FakeServices;
  friend class FakeEnumerator;
  friend class FakeClassObject;

  static const ComEntryPoints& FakeTable();
  static HRESULT WINAPI CoInitializeExFake(LPVOID reserved, DWORD coInit);
  static HRESULT WINAPI CoInitializeSecurityFake(PSECURITY_DESCRIPTOR descriptor, LONG authServiceCount,
                                                 SOLE_AUTHENTICATION_SERVICE* authServices, void* reserved1,
                                                 DWORD authnLevel, DWORD impLevel, void* authList,
                                                 DWORD capabilities, void* reserved3);
  static HRESULT WINAPI CoCreateInstanceFake(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid,
                                             LPVOID* object);
  static HRESULT WINAPI CoSetProxyBlanketFake(IUnknown* proxy, DWORD authnService, DWORD authzService,
                                              OLECHAR* serverPrincipal, DWORD authnLevel, DWORD impLevel,
                                              RPC_AUTH_IDENTITY_HANDLE authInfo, DWORD capabilities);
  static void WINAPI CoUninitializeFake();
  static ULONGLONG WINAPI GetTickCount64Fake();
  void Wait(ULONGLONG milliseconds);
  static FakeWmi& Current();

  // A fresh enumerator over the scripted answer, holding one reference for the caller.
  IEnumWbemClassObject* NewEnumerator(const FakeQueryAnswer& answer);
  // A fresh result object, holding one reference for the caller.
  IWbemClassObject* NewObject(const FakeObject& properties);
  // What a failed call leaves in its out parameter, as a careless server may: an object with no
  // reference for the caller (the locator, the services, one of these, or the counted value in a
  // VARIANT). A caller that releases or clears it shows in ExcessReleases().
  IEnumWbemClassObject* StrayEnumerator();
  IWbemClassObject* StrayObject();
  // The counted value object, with one more reference for the caller.
  IUnknown* CountedValue();

  ScopedTable<ComEntryPoints> table_;
  std::map<std::wstring, FakeQueryAnswer> answers_;
  std::vector<std::unique_ptr<FakeComObject>> objects_;
  FakeLocator* locator_;
  FakeServices* services_;
  IUnknown* countedValueInterface_;
  int enumeratorsCreated_ = 0;
  int objectsDelivered_ = 0;
};

}  // namespace vantrel::testing
