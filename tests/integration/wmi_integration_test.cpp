// The WMI connection and the ten statements of the collection pass against the platform's
// real WMI (Wine's in the test environment).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "probes/wmi_connection.h"
#include "probes/wmi_query.h"

namespace vantrel {
namespace {

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

// One connection for the whole suite, as the collection pass holds one for all its queries.
class RealWmi : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { opened_ = OpenWmiConnection(); }
  static void TearDownTestSuite() { CloseWmiConnection(); }
  void SetUp() override { ASSERT_TRUE(opened_) << "the WMI connection did not open"; }

  static bool opened_;
};
bool RealWmi::opened_ = false;

TEST_F(RealWmi, TheOpenHoldsLocatorAndServices) {
  EXPECT_NE(WmiLocator(), nullptr);
  EXPECT_NE(WmiServices(), nullptr);
}

TEST_F(RealWmi, OperatingSystemCaption) {
  EXPECT_FALSE(QuerySingleValue(L"SELECT Caption FROM Win32_OperatingSystem", L"Caption").empty());
}

TEST_F(RealWmi, OperatingSystemArchitecture) {
  const std::wstring architecture =
      QuerySingleValue(L"SELECT OSArchitecture FROM Win32_OperatingSystem", L"OSArchitecture");
  EXPECT_FALSE(architecture.empty());
  ::testing::Test::RecordProperty("OSArchitecture", ::testing::PrintToString(architecture));
}

TEST_F(RealWmi, ProcessorName) {
  EXPECT_FALSE(QuerySingleValue(L"SELECT Name FROM Win32_Processor", L"Name").empty());
}

TEST_F(RealWmi, TotalPhysicalMemoryIsDecimalDigits) {
  const std::wstring total =
      QuerySingleValue(L"SELECT TotalPhysicalMemory FROM Win32_ComputerSystem", L"TotalPhysicalMemory");
  EXPECT_TRUE(AllDigits(total)) << ::testing::PrintToString(total);
}

TEST_F(RealWmi, PhysicalMemoryRowsCarryAllSixNames) {
  const Names names = {L"DeviceLocator", L"BankLabel", L"Capacity", L"Speed", L"Manufacturer", L"PartNumber"};
  const std::vector<PropertyRow> rows = QueryRows(
      L"SELECT DeviceLocator, BankLabel, Capacity, Speed, Manufacturer, PartNumber FROM Win32_PhysicalMemory",
      names);
  ASSERT_FALSE(rows.empty());
  ExpectEveryRowHolds(rows, names);
  for (const PropertyRow& row : rows) {
    // Capacity is a 64-bit count, which WMI delivers as a string of digits.
    EXPECT_TRUE(AllDigits(row.at(L"Capacity"))) << ::testing::PrintToString(row.at(L"Capacity"));
    // Wine's WMI does not know the speed: the failed Get still leaves its key, empty.
    EXPECT_EQ(row.at(L"Speed"), L"");
  }
}

TEST_F(RealWmi, BaseBoardManufacturerAndProduct) {
  const std::wstring manufacturer =
      QuerySingleValue(L"SELECT Manufacturer FROM Win32_BaseBoard", L"Manufacturer");
  const std::wstring product = QuerySingleValue(L"SELECT Product FROM Win32_BaseBoard", L"Product");
  ::testing::Test::RecordProperty("Manufacturer", ::testing::PrintToString(manufacturer));
  ::testing::Test::RecordProperty("Product", ::testing::PrintToString(product));
}

TEST_F(RealWmi, DiskDriveRowsCarryAllFiveNames) {
  const Names names = {L"Index", L"Model", L"Size", L"InterfaceType", L"PNPDeviceID"};
  const std::vector<PropertyRow> rows =
      QueryRows(L"SELECT Index, Model, Size, InterfaceType, PNPDeviceID FROM Win32_DiskDrive", names);
  ASSERT_FALSE(rows.empty());
  ExpectEveryRowHolds(rows, names);
  for (const PropertyRow& row : rows) {
    // Index is a 32-bit number: it comes through the platform conversion as digits.
    EXPECT_TRUE(AllDigits(row.at(L"Index"))) << ::testing::PrintToString(row.at(L"Index"));
  }
}

TEST_F(RealWmi, SoundDeviceNamesAreNonEmpty) {
  for (const std::wstring& name : QueryNameList(L"SELECT Name FROM Win32_SoundDevice"))
    EXPECT_FALSE(name.empty());
}

TEST_F(RealWmi, OpticalDriveNamesAreNonEmpty) {
  // Wine lists no optical drive; how many there are is a fact of the machine.
  for (const std::wstring& name : QueryNameList(L"SELECT Name FROM Win32_CDROMDrive"))
    EXPECT_FALSE(name.empty());
}

TEST_F(RealWmi, AStatementThatMatchesNothingOrIsNotWqlGivesEmptyAnswers) {
  EXPECT_TRUE(QueryNameList(L"SELECT Name FROM Win32_Processor WHERE Name = 'no such processor'").empty());
  EXPECT_EQ(QuerySingleValue(L"this is not WQL", L"Name"), L"");
  EXPECT_TRUE(QueryRows(L"SELECT Name FROM Win32_NoSuchClass", {L"Name"}).empty());
}

TEST(RealWmiReopen, OpenCloseOpenAgainWorks) {
  ASSERT_TRUE(OpenWmiConnection());
  const std::wstring first = QuerySingleValue(L"SELECT Name FROM Win32_Processor", L"Name");
  CloseWmiConnection();
  EXPECT_EQ(WmiServices(), nullptr);
  EXPECT_EQ(WmiLocator(), nullptr);
  EXPECT_EQ(QuerySingleValue(L"SELECT Name FROM Win32_Processor", L"Name"), L"");

  ASSERT_TRUE(OpenWmiConnection());
  EXPECT_EQ(QuerySingleValue(L"SELECT Name FROM Win32_Processor", L"Name"), first);
  CloseWmiConnection();
}

}  // namespace
}  // namespace vantrel
