// Opening and closing the WMI connection against the scripted fake: the platform calls, their
// arguments and order, and what the connection holds after each way an open can end.
#include "probes/wmi_connection.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "fakes/fake_wmi.h"
#include "probes/wmi_query.h"

namespace vantrel {
namespace {

using testing::FakeWmi;
using Calls = std::vector<std::wstring>;

const Calls kFullOpen = {L"CoInitializeEx", L"CoInitializeSecurity", L"CoCreateInstance", L"ConnectServer",
                         L"CoSetProxyBlanket"};

// Written out here rather than taken from the SDK, so a wrong class or interface is caught.
const CLSID kWbemLocatorClass = {
    0x4590F811, 0x1D3A, 0x11D0, {0x89, 0x1F, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};
const IID kWbemLocatorInterface = {
    0xDC12A687, 0x737F, 0x11CF, {0x88, 0x4D, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};

TEST(WmiConnection, OpenPassesTheExactArgumentsInOrder) {
  FakeWmi wmi;
  WmiConnection connection;
  ASSERT_TRUE(connection.Open());
  EXPECT_EQ(wmi.calls, kFullOpen);

  ASSERT_EQ(wmi.coInitializeExCalls.size(), 1u);
  EXPECT_EQ(wmi.coInitializeExCalls[0].reserved, nullptr);
  EXPECT_EQ(wmi.coInitializeExCalls[0].coInit, 0u);  // COINIT_MULTITHREADED

  ASSERT_EQ(wmi.coInitializeSecurityCalls.size(), 1u);
  const auto& security = wmi.coInitializeSecurityCalls[0];
  EXPECT_EQ(security.descriptor, nullptr);
  EXPECT_EQ(security.authServiceCount, -1);
  EXPECT_EQ(security.authServices, nullptr);
  EXPECT_EQ(security.reserved1, nullptr);
  EXPECT_EQ(security.authnLevel, 0u);  // RPC_C_AUTHN_LEVEL_DEFAULT
  EXPECT_EQ(security.impLevel, 3u);    // RPC_C_IMP_LEVEL_IMPERSONATE
  EXPECT_EQ(security.authList, nullptr);
  EXPECT_EQ(security.capabilities, 0u);  // EOAC_NONE
  EXPECT_EQ(security.reserved3, nullptr);

  ASSERT_EQ(wmi.coCreateInstanceCalls.size(), 1u);
  const auto& create = wmi.coCreateInstanceCalls[0];
  EXPECT_TRUE(IsEqualCLSID(create.clsid, kWbemLocatorClass));
  EXPECT_EQ(create.outer, nullptr);
  EXPECT_EQ(create.context, 1u);  // CLSCTX_INPROC_SERVER
  EXPECT_TRUE(IsEqualIID(create.iid, kWbemLocatorInterface));
  EXPECT_TRUE(create.outGiven);

  ASSERT_EQ(wmi.connectServerCalls.size(), 1u);
  const auto& connect = wmi.connectServerCalls[0];
  EXPECT_EQ(connect.networkResource, L"ROOT\\CIMV2");
  EXPECT_EQ(connect.resourceLength, 10u);
  EXPECT_EQ(connect.user, nullptr);
  EXPECT_EQ(connect.password, nullptr);
  EXPECT_EQ(connect.locale, nullptr);
  EXPECT_EQ(connect.securityFlags, 0x80);  // WBEM_FLAG_CONNECT_USE_MAX_WAIT: Windows gives up in 2 minutes
  EXPECT_EQ(connect.authority, nullptr);
  EXPECT_EQ(connect.context, nullptr);

  ASSERT_EQ(wmi.proxyBlanketCalls.size(), 1u);
  const auto& blanket = wmi.proxyBlanketCalls[0];
  EXPECT_EQ(blanket.proxy, static_cast<IUnknown*>(wmi.Services()));
  EXPECT_EQ(blanket.authnService, 10u);  // RPC_C_AUTHN_WINNT
  EXPECT_EQ(blanket.authzService, 0u);   // RPC_C_AUTHZ_NONE
  EXPECT_EQ(blanket.serverPrincipal, nullptr);
  EXPECT_EQ(blanket.authnLevel, 3u);  // RPC_C_AUTHN_LEVEL_CALL
  EXPECT_EQ(blanket.impLevel, 3u);    // RPC_C_IMP_LEVEL_IMPERSONATE
  EXPECT_EQ(blanket.authInfo, nullptr);
  EXPECT_EQ(blanket.capabilities, 0u);  // EOAC_NONE

  EXPECT_EQ(connection.Locator(), wmi.Locator());
  EXPECT_EQ(connection.Services(), wmi.Services());
  EXPECT_EQ(wmi.LocatorReferences(), 1);
  EXPECT_EQ(wmi.ServicesReferences(), 1);
  EXPECT_EQ(wmi.uninitializeCount, 0);
  connection.Close();
}

TEST(WmiConnection, CloseReleasesServicesThenLocatorThenUninitialisesOnce) {
  FakeWmi wmi;
  WmiConnection connection;
  ASSERT_TRUE(connection.Open());
  wmi.calls.clear();

  connection.Close();
  EXPECT_EQ(wmi.calls, (Calls{L"Release services", L"Release locator", L"CoUninitialize"}));
  EXPECT_EQ(connection.Services(), nullptr);
  EXPECT_EQ(connection.Locator(), nullptr);
  EXPECT_EQ(wmi.uninitializeCount, 1);
  EXPECT_EQ(wmi.OutstandingReferences(), 0);
  EXPECT_EQ(wmi.ExcessReleases(), 0);

  // A second close finds nothing held and no share of COM left to give back.
  wmi.calls.clear();
  connection.Close();
  EXPECT_TRUE(wmi.calls.empty());
  EXPECT_EQ(wmi.uninitializeCount, 1);
}

TEST(WmiConnection, CloseWithoutAnOpenTouchesNothing) {
  FakeWmi wmi;
  WmiConnection connection;
  connection.Close();
  EXPECT_TRUE(wmi.calls.empty());
  EXPECT_EQ(wmi.uninitializeCount, 0);
}

// One way an open can end, and what the connection must hold afterwards.
struct OpenOutcome {
  const char* name;
  std::function<void(FakeWmi&)> script;
  bool opened;
  Calls calls;  // the platform calls the open makes, up to where it gives up
  bool locatorHeld;
  bool servicesHeld;
  int uninitialisesOnClose;
};

const Calls kUpToCreate = {L"CoInitializeEx", L"CoInitializeSecurity", L"CoCreateInstance"};
const Calls kUpToConnect = {L"CoInitializeEx", L"CoInitializeSecurity", L"CoCreateInstance", L"ConnectServer"};

std::vector<OpenOutcome> OpenOutcomes() {
  return {
      {"CoInitializeEx fails", [](FakeWmi& w) { w.coInitializeResult = E_OUTOFMEMORY; }, false, {L"CoInitializeEx"},
       false, false, 0},
      {"CoInitializeEx says not initialised", [](FakeWmi& w) { w.coInitializeResult = CO_E_NOTINITIALIZED; }, false,
       {L"CoInitializeEx"}, false, false, 0},
      {"CoInitializeSecurity fails", [](FakeWmi& w) { w.coInitializeSecurityResult = E_ACCESSDENIED; }, false,
       {L"CoInitializeEx", L"CoInitializeSecurity"}, false, false, 1},
      {"CoCreateInstance fails", [](FakeWmi& w) { w.coCreateInstanceResult = REGDB_E_CLASSNOTREG; }, false,
       kUpToCreate, false, false, 1},
      {"CoCreateInstance gives no locator", [](FakeWmi& w) { w.giveLocator = false; }, false, kUpToCreate, false,
       false, 1},
      {"ConnectServer fails", [](FakeWmi& w) { w.connectServerResult = WBEM_E_ACCESS_DENIED; }, false, kUpToConnect,
       true, false, 1},
      // Without the flag for a bounded wait, the fake fails the test instead of waiting for ever.
      {"ConnectServer hangs", [](FakeWmi& w) { w.connectHangs = true; }, false, kUpToConnect, true, false, 1},
      {"ConnectServer gives no services", [](FakeWmi& w) { w.giveServices = false; }, false, kUpToConnect, true,
       false, 1},
      {"CoSetProxyBlanket fails", [](FakeWmi& w) { w.proxyBlanketResult = E_ACCESSDENIED; }, false, kFullOpen, true,
       true, 1},
      // The open took no share of COM here, so giving one back would tear down the caller's COM.
      {"RPC_E_CHANGED_MODE", [](FakeWmi& w) { w.coInitializeResult = RPC_E_CHANGED_MODE; }, true, kFullOpen, true,
       true, 0},
      {"RPC_E_CHANGED_MODE, then ConnectServer fails",
       [](FakeWmi& w) {
         w.coInitializeResult = RPC_E_CHANGED_MODE;
         w.connectServerResult = WBEM_E_FAILED;
       },
       false, kUpToConnect, true, false, 0},
      {"RPC_E_TOO_LATE", [](FakeWmi& w) { w.coInitializeSecurityResult = RPC_E_TOO_LATE; }, true, kFullOpen, true,
       true, 1},
      {"RPC_E_CHANGED_MODE and RPC_E_TOO_LATE",
       [](FakeWmi& w) {
         w.coInitializeResult = RPC_E_CHANGED_MODE;
         w.coInitializeSecurityResult = RPC_E_TOO_LATE;
       },
       true, kFullOpen, true, true, 0},
      // S_FALSE from CoInitializeEx means COM was already there; it still takes a share.
      {"every step answers a success code other than S_OK",
       [](FakeWmi& w) {
         w.coInitializeResult = S_FALSE;
         w.coInitializeSecurityResult = S_FALSE;
         w.coCreateInstanceResult = S_FALSE;
         w.connectServerResult = WBEM_S_FALSE;
         w.proxyBlanketResult = S_FALSE;
       },
       true, kFullOpen, true, true, 1},
  };
}

TEST(WmiConnection, EachStepsAnswerDecidesTheOpenAndWhatItHolds) {
  for (const OpenOutcome& outcome : OpenOutcomes()) {
    SCOPED_TRACE(outcome.name);
    FakeWmi wmi;
    WmiConnection connection;
    outcome.script(wmi);

    EXPECT_EQ(connection.Open(), outcome.opened);
    EXPECT_EQ(wmi.calls, outcome.calls);
    EXPECT_EQ(connection.Locator(), outcome.locatorHeld ? wmi.Locator() : nullptr);
    EXPECT_EQ(connection.Services(), outcome.servicesHeld ? wmi.Services() : nullptr);
    EXPECT_EQ(wmi.OutstandingReferences(), (outcome.locatorHeld ? 1 : 0) + (outcome.servicesHeld ? 1 : 0));
    EXPECT_EQ(wmi.uninitializeCount, 0);

    connection.Close();
    EXPECT_EQ(connection.Locator(), nullptr);
    EXPECT_EQ(connection.Services(), nullptr);
    EXPECT_EQ(wmi.uninitializeCount, outcome.uninitialisesOnClose);
    EXPECT_EQ(wmi.OutstandingReferences(), 0);
    EXPECT_EQ(wmi.ExcessReleases(), 0);
  }
}

TEST(WmiConnection, QueriesAfterAFailedConnectFindNoServicesAndTouchNothing) {
  FakeWmi wmi;
  WmiConnection connection;
  wmi.connectServerResult = WBEM_E_INVALID_NAMESPACE;
  ASSERT_FALSE(connection.Open());

  EXPECT_EQ(QuerySingleValue(connection, L"SELECT Name FROM Win32_Processor", L"Name"), L"");
  EXPECT_TRUE(QueryNameList(connection, L"SELECT Name FROM Win32_SoundDevice").empty());
  EXPECT_TRUE(QueryRows(connection, L"SELECT Model FROM Win32_DiskDrive", {L"Model"}).empty());
  EXPECT_TRUE(wmi.statements.empty());
  connection.Close();
}

TEST(WmiConnection, OpenCloseOpenAgainRepeatsEveryStep) {
  FakeWmi wmi;
  WmiConnection connection;
  ASSERT_TRUE(connection.Open());
  connection.Close();
  wmi.calls.clear();
  // A second open in the same process finds the process security already set.
  wmi.coInitializeSecurityResult = RPC_E_TOO_LATE;

  ASSERT_TRUE(connection.Open());
  EXPECT_EQ(wmi.calls, kFullOpen);
  EXPECT_EQ(connection.Locator(), wmi.Locator());
  EXPECT_EQ(connection.Services(), wmi.Services());
  EXPECT_EQ(wmi.LocatorReferences(), 1);
  EXPECT_EQ(wmi.ServicesReferences(), 1);
  ASSERT_EQ(wmi.proxyBlanketCalls.size(), 2u);
  EXPECT_EQ(wmi.proxyBlanketCalls[1].proxy, static_cast<IUnknown*>(wmi.Services()));

  connection.Close();
  EXPECT_EQ(wmi.uninitializeCount, 2);
  EXPECT_EQ(wmi.OutstandingReferences(), 0);
  EXPECT_EQ(wmi.ExcessReleases(), 0);
}

TEST(WmiConnection, AFailedOpenBeforeCoInitializeLeavesAnEarlierShareAlone) {
  FakeWmi wmi;
  WmiConnection connection;
  ASSERT_TRUE(connection.Open());
  connection.Close();

  // The close already gave the share back; a failed first step must not earn another close.
  wmi.coInitializeResult = E_UNEXPECTED;
  EXPECT_FALSE(connection.Open());
  connection.Close();
  EXPECT_EQ(wmi.uninitializeCount, 1);
}

}  // namespace
}  // namespace vantrel
