// The WMI connection and the ten statements of the collection pass against the platform's
// real WMI (Wine's in the test environment). Only what Windows and Wine share is asserted: Wine
// leaves memory Speed and Manufacturer empty and lists no optical drive; Windows fills them.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/random_machine.h"
#include "probes/wmi_connection.h"
#include "probes/wmi_query.h"
#include "support/raw_wmi.h"

namespace vantrel {
namespace {

using namespace testing;  // the ten statements of the pass
using Names = std::vector<std::wstring>;

bool AllDigits(const std::wstring& text) {
  if (text.empty()) return false;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return false;
  }
  return true;
}

void ExpectEveryRowHolds(const std::vector<PropertyRow>& rows, const Names& names) {
  for (size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE("row " + std::to_string(i));
    EXPECT_EQ(rows[i].size(), names.size());
    for (const std::wstring& name : names)
      EXPECT_EQ(rows[i].count(name), 1u) << ::testing::PrintToString(name);
  }
}

// Never destroyed: its proxies must not be released from a static destructor, after COM began
// unloading.
WmiConnection& Wmi() {
  static WmiConnection* connection = new WmiConnection();
  return *connection;
}

// One connection for the whole suite, as the collection pass holds one for all its queries.
class RealWmi : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { opened_ = Wmi().Open(); }
  static void TearDownTestSuite() { Wmi().Close(); }
  void SetUp() override { ASSERT_TRUE(opened_) << "the WMI connection did not open"; }

  static bool opened_;
};
bool RealWmi::opened_ = false;

TEST_F(RealWmi, TheOpenHoldsLocatorAndServices) {
  EXPECT_NE(Wmi().Locator(), nullptr);
  EXPECT_NE(Wmi().Services(), nullptr);
}

TEST_F(RealWmi, OperatingSystemProcessorAndTotalMemoryHaveValues) {
  for (MachineStatement statement : {kCaptionStatement, kArchitectureStatement, kProcessorStatement}) {
    const std::wstring value = QuerySingleValue(Wmi(), StatementText(statement), StatementProperties(statement)[0]);
    EXPECT_FALSE(value.empty()) << ::testing::PrintToString(std::wstring(StatementText(statement)));
  }
  const std::wstring total = QuerySingleValue(Wmi(), StatementText(kTotalMemoryStatement), L"TotalPhysicalMemory");
  EXPECT_TRUE(AllDigits(total)) << ::testing::PrintToString(total);
}

TEST_F(RealWmi, PhysicalMemoryRowsCarryAllSixNames) {
  const Names& names = StatementProperties(kModulesStatement);
  const std::vector<PropertyRow> rows = QueryRows(Wmi(), StatementText(kModulesStatement), names);
  ASSERT_FALSE(rows.empty());
  ExpectEveryRowHolds(rows, names);
  for (const PropertyRow& row : rows) {
    // Capacity is a 64-bit count, which WMI delivers as a string of digits.
    EXPECT_TRUE(AllDigits(row.at(L"Capacity"))) << ::testing::PrintToString(row.at(L"Capacity"));
    // Windows gives the speed in MHz; Wine's WMI does not know it, and the failed Get leaves it empty.
    EXPECT_TRUE(row.at(L"Speed").empty() || AllDigits(row.at(L"Speed"))) << ::testing::PrintToString(row.at(L"Speed"));
  }
}

TEST_F(RealWmi, BaseBoardManufacturerAndProductAreTheFirstBoardsStrings) {
  const Names makers = RawStrings(Wmi(), StatementText(kBoardMakerStatement), L"Manufacturer");
  const Names products = RawStrings(Wmi(), StatementText(kBoardProductStatement), L"Product");
  ASSERT_FALSE(makers.empty()) << "no base board";
  ASSERT_FALSE(products.empty()) << "no base board";
  EXPECT_FALSE(makers[0].empty());
  EXPECT_EQ(QuerySingleValue(Wmi(), StatementText(kBoardMakerStatement), L"Manufacturer"), makers[0]);
  EXPECT_EQ(QuerySingleValue(Wmi(), StatementText(kBoardProductStatement), L"Product"), products[0]);
}

TEST_F(RealWmi, DiskDriveRowsCarryAllFiveNames) {
  const Names& names = StatementProperties(kDisksStatement);
  const std::vector<PropertyRow> rows = QueryRows(Wmi(), StatementText(kDisksStatement), names);
  ASSERT_FALSE(rows.empty());
  ExpectEveryRowHolds(rows, names);
  for (const PropertyRow& row : rows) {
    // Index is a 32-bit number: it comes through the platform conversion as digits.
    EXPECT_TRUE(AllDigits(row.at(L"Index"))) << ::testing::PrintToString(row.at(L"Index"));
  }
}

// How many sound devices and optical drives there are is a fact of the machine (Wine lists no
// optical drive); the lists must be exactly the non-empty names in delivery order.
TEST_F(RealWmi, SoundAndOpticalNameListsAreTheNonEmptyNamesInDeliveryOrder) {
  for (MachineStatement statement : {kSoundStatement, kOpticalStatement}) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(StatementText(statement))));
    EXPECT_EQ(QueryNameList(Wmi(), StatementText(statement)), RawNames(Wmi(), StatementText(statement)));
  }
}

TEST_F(RealWmi, AStatementThatMatchesNothingOrIsNotWqlGivesEmptyAnswers) {
  EXPECT_TRUE(QueryNameList(Wmi(), L"SELECT Name FROM Win32_Processor WHERE Name = 'no such processor'").empty());
  EXPECT_EQ(QuerySingleValue(Wmi(), L"this is not WQL", L"Name"), L"");
  EXPECT_TRUE(QueryRows(Wmi(), L"SELECT Name FROM Win32_NoSuchClass", {L"Name"}).empty());
}

TEST(RealWmiReopen, OpenCloseOpenAgainWorks) {
  ASSERT_TRUE(Wmi().Open());
  const std::wstring first = QuerySingleValue(Wmi(), StatementText(kProcessorStatement), L"Name");
  Wmi().Close();
  EXPECT_EQ(Wmi().Services(), nullptr);
  EXPECT_EQ(Wmi().Locator(), nullptr);
  EXPECT_EQ(QuerySingleValue(Wmi(), StatementText(kProcessorStatement), L"Name"), L"");

  ASSERT_TRUE(Wmi().Open());
  EXPECT_EQ(QuerySingleValue(Wmi(), StatementText(kProcessorStatement), L"Name"), first);
  Wmi().Close();
}

}  // namespace
}  // namespace vantrel
