// The three query shapes against the scripted fake WMI: what they answer, where they stop,
// the exact WMI calls they make, and that every object they obtain is given back.
#include "probes/wmi_query.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "fakes/fake_wmi.h"
#include "fakes/platform_log.h"
#include "probes/wmi_connection.h"

namespace vantrel {
namespace {

using testing::FakeObject;
using testing::FakeQueryAnswer;
using testing::FakeValue;
using testing::FakeWmi;
using Names = std::vector<std::wstring>;
using Calls = std::vector<std::wstring>;

const wchar_t kQuery[] = L"SELECT Name FROM Win32_Thing";

FakeObject Named(const wchar_t* name) { return {{L"Name", FakeValue::Text(name)}}; }

FakeQueryAnswer Objects(std::vector<FakeObject> objects) {
  FakeQueryAnswer answer;
  answer.objects = std::move(objects);
  return answer;
}

TEST(WmiQueryWithoutConnection, AnswersEmptyAndTouchesNothing) {
  FakeWmi wmi;
  WmiConnection connection;
  wmi.Answer(kQuery, Objects({Named(L"A")}));
  EXPECT_EQ(QuerySingleValue(connection, kQuery, L"Name"), L"");
  EXPECT_TRUE(QueryNameList(connection, kQuery).empty());
  EXPECT_TRUE(QueryRows(connection, kQuery, {L"Name"}).empty());
  EXPECT_TRUE(wmi.calls.empty());

  // Closed again after an open: the same.
  ASSERT_TRUE(connection.Open());
  connection.Close();
  wmi.calls.clear();
  EXPECT_EQ(QuerySingleValue(connection, kQuery, L"Name"), L"");
  EXPECT_TRUE(QueryNameList(connection, kQuery).empty());
  EXPECT_TRUE(QueryRows(connection, kQuery, {L"Name"}).empty());
  EXPECT_TRUE(wmi.calls.empty());
  EXPECT_TRUE(::vantrel::testing::PlatformLog().empty());
}

// Every test opens the connection first and, after closing it, finds every reference that
// the fakes handed out given back exactly once.
class WmiQuery : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(connection.Open());
    wmi_.calls.clear();
  }
  void TearDown() override {
    EXPECT_EQ(wmi_.OutstandingReferences(), 2) << "only the connection's locator and services may stay held";
    connection.Close();
    EXPECT_EQ(wmi_.OutstandingReferences(), 0);
    EXPECT_EQ(wmi_.ExcessReleases(), 0);
  }

  FakeWmi wmi_;
  WmiConnection connection;
};

TEST_F(WmiQuery, ExecQueryGetsWqlFlags0x30NoContextAndIsLogged) {
  QuerySingleValue(connection, L"SELECT Caption FROM Win32_OperatingSystem", L"Caption");
  QueryNameList(connection, L"SELECT Name FROM Win32_SoundDevice");
  QueryRows(connection, L"SELECT Model FROM Win32_DiskDrive", {L"Model"});

  ASSERT_EQ(wmi_.execQueryCalls.size(), 3u);
  for (const auto& call : wmi_.execQueryCalls) {
    EXPECT_EQ(call.language, L"WQL");
    EXPECT_EQ(call.flags, 0x30);
    EXPECT_EQ(call.context, nullptr);
  }
  EXPECT_EQ(wmi_.statements,
            (Names{L"SELECT Caption FROM Win32_OperatingSystem", L"SELECT Name FROM Win32_SoundDevice",
                   L"SELECT Model FROM Win32_DiskDrive"}));
  EXPECT_EQ(::vantrel::testing::PlatformLog(), (Names{L"ExecQuery: SELECT Caption FROM Win32_OperatingSystem",
                                                      L"ExecQuery: SELECT Name FROM Win32_SoundDevice",
                                                      L"ExecQuery: SELECT Model FROM Win32_DiskDrive"}));
}

TEST_F(WmiQuery, NextAndGetGetTheirExactArguments) {
  wmi_.Answer(kQuery, Objects({Named(L"A"), Named(L"B")}));
  QueryRows(connection, kQuery, {L"Name", L"Other"});

  ASSERT_EQ(wmi_.nextCalls.size(), 3u);
  for (const auto& call : wmi_.nextCalls) {
    EXPECT_EQ(call.timeout, 5000);  // never WBEM_INFINITE: a stuck provider would hold it for ever
    EXPECT_EQ(call.count, 1u);
  }
  ASSERT_EQ(wmi_.getCalls.size(), 4u);
  for (const auto& call : wmi_.getCalls) {
    EXPECT_EQ(call.flags, 0);
    EXPECT_EQ(call.typeOnEntry, VT_EMPTY);
    EXPECT_FALSE(call.typeAsked);
    EXPECT_FALSE(call.flavourAsked);
  }
}

TEST_F(WmiQuery, NoMatchingObjectGivesEmptyAnswersOfEveryShape) {
  EXPECT_EQ(QuerySingleValue(connection, kQuery, L"Name"), L"");
  EXPECT_TRUE(QueryNameList(connection, kQuery).empty());
  EXPECT_TRUE(QueryRows(connection, kQuery, {L"Name"}).empty());
  EXPECT_EQ(wmi_.nextCalls.size(), 3u);
  EXPECT_TRUE(wmi_.getCalls.empty());
}

TEST_F(WmiQuery, SingleValueReadsTheFirstObjectOnlyAndFetchesNoMore) {
  wmi_.Answer(kQuery, Objects({Named(L"Intel first"), Named(L"Intel second")}));
  EXPECT_EQ(QuerySingleValue(connection, kQuery, L"Name"), L"Intel first");
  EXPECT_EQ(wmi_.calls, (Calls{L"ExecQuery", L"Release services", L"Next", L"Get", L"Release object", L"Release enumerator"}));
  EXPECT_EQ(wmi_.ObjectsDelivered(), 1);
}

TEST_F(WmiQuery, SingleValueIsEmptyWhereTheValueIsMissingOrUnreadable) {
  wmi_.Answer(L"missing", Objects({{{L"Other", FakeValue::Text(L"x")}}}));
  wmi_.Answer(L"failing", Objects({{{L"Name", FakeValue::Failure(WBEM_E_FAILED)}}}));
  wmi_.Answer(L"null", Objects({{{L"Name", FakeValue::Null()}}}));
  wmi_.Answer(L"null bstr", Objects({{{L"Name", FakeValue::NullBstr()}}}));
  // Only the first object decides, even when a later one would have an answer.
  wmi_.Answer(L"first lacks it", Objects({{{L"Other", FakeValue::Text(L"x")}}, Named(L"second")}));
  for (const wchar_t* query : {L"missing", L"failing", L"null", L"null bstr", L"first lacks it"}) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(query)));
    EXPECT_EQ(QuerySingleValue(connection, query, L"Name"), L"");
  }
}

TEST_F(WmiQuery, SingleValueConvertsNonStringValues) {
  wmi_.Answer(kQuery, Objects({{{L"Speed", FakeValue::Int(3200)}, {L"Delta", FakeValue::Int(-5)}}}));
  EXPECT_EQ(QuerySingleValue(connection, kQuery, L"Speed"), L"3200");
  EXPECT_EQ(QuerySingleValue(connection, kQuery, L"Delta"), L"-5");
}

TEST_F(WmiQuery, SingleValueStopsWhereTheEnumerationGivesNothing) {
  FakeQueryAnswer failing = Objects({Named(L"A")});
  failing.failNextAt = 0;
  wmi_.Answer(L"failing", failing);
  FakeQueryAnswer nullObject = Objects({Named(L"A")});
  nullObject.nullObjectAt = 0;
  wmi_.Answer(L"null object", nullObject);

  EXPECT_EQ(QuerySingleValue(connection, L"failing", L"Name"), L"");
  EXPECT_EQ(QuerySingleValue(connection, L"null object", L"Name"), L"");
  EXPECT_TRUE(wmi_.getCalls.empty());
}

TEST_F(WmiQuery, ExecQueryFailureOrNoEnumeratorGivesEmptyAnswersWithoutNext) {
  FakeQueryAnswer failing = Objects({Named(L"A")});
  failing.execQueryResult = WBEM_E_INVALID_QUERY;
  wmi_.Answer(L"failing", failing);
  FakeQueryAnswer noEnumerator = Objects({Named(L"A")});
  noEnumerator.noEnumerator = true;
  wmi_.Answer(L"no enumerator", noEnumerator);

  for (const wchar_t* query : {L"failing", L"no enumerator"}) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(query)));
    EXPECT_EQ(QuerySingleValue(connection, query, L"Name"), L"");
    EXPECT_TRUE(QueryNameList(connection, query).empty());
    EXPECT_TRUE(QueryRows(connection, query, {L"Name"}).empty());
  }
  EXPECT_EQ(wmi_.execQueryCalls.size(), 6u);
  EXPECT_TRUE(wmi_.nextCalls.empty());
}

TEST_F(WmiQuery, ASuccessCodeOtherThanSOkFromExecQueryStillCounts) {
  FakeQueryAnswer answer = Objects({Named(L"A")});
  answer.execQueryResult = WBEM_S_FALSE;
  wmi_.Answer(kQuery, answer);
  EXPECT_EQ(QuerySingleValue(connection, kQuery, L"Name"), L"A");
  EXPECT_EQ(QueryNameList(connection, kQuery), (Names{L"A"}));
}

TEST_F(WmiQuery, NameListKeepsNonEmptyNamesInDeliveryOrderWithRepeats) {
  wmi_.Answer(kQuery, Objects({Named(L"A"), Named(L""), {{L"Name", FakeValue::Null()}}, Named(L"A")}));
  EXPECT_EQ(QueryNameList(connection, kQuery), (Names{L"A", L"A"}));
}

TEST_F(WmiQuery, NameListSkipsObjectsWhoseNameCannotBeRead) {
  wmi_.Answer(kQuery, Objects({Named(L"Zeta"),
                               {{L"Name", FakeValue::Failure(WBEM_E_ACCESS_DENIED)}},
                               {{L"Caption", FakeValue::Text(L"no name")}},
                               {{L"Name", FakeValue::NullBstr()}},
                               {{L"Name", FakeValue::Empty()}},
                               {{L"Name", FakeValue::Text(std::wstring(L"Re\0altek", 8))}},
                               {{L"Name", FakeValue::Int(7)}},
                               Named(L"Alpha")}));
  // Not sorted: delivery order; a string ends at its first NUL; numbers become digits.
  EXPECT_EQ(QueryNameList(connection, kQuery), (Names{L"Zeta", L"Re", L"7", L"Alpha"}));
}

TEST_F(WmiQuery, NameListReleasesEachObjectBeforeFetchingTheNext) {
  wmi_.Answer(kQuery, Objects({Named(L"A"), Named(L"B")}));
  QueryNameList(connection, kQuery);
  EXPECT_EQ(wmi_.calls, (Calls{L"ExecQuery", L"Release services", L"Next", L"Get", L"Release object", L"Next",
                               L"Get", L"Release object", L"Next", L"Release enumerator"}));
}

TEST_F(WmiQuery, NameListKeepsWhatCameBeforeAFailingNext) {
  FakeQueryAnswer answer = Objects({Named(L"A"), Named(L"B"), Named(L"C")});
  answer.failNextAt = 2;
  wmi_.Answer(kQuery, answer);
  EXPECT_EQ(QueryNameList(connection, kQuery), (Names{L"A", L"B"}));
  EXPECT_EQ(wmi_.nextCalls.size(), 3u);

  answer.failNextAt = 0;
  wmi_.Answer(kQuery, answer);
  EXPECT_TRUE(QueryNameList(connection, kQuery).empty());
}

TEST_F(WmiQuery, NameListEndsAtANextThatReportsAnObjectButGivesNone) {
  FakeQueryAnswer answer = Objects({Named(L"A"), Named(L"B"), Named(L"C")});
  answer.nullObjectAt = 1;
  wmi_.Answer(kQuery, answer);
  EXPECT_EQ(QueryNameList(connection, kQuery), (Names{L"A"}));
  EXPECT_EQ(wmi_.nextCalls.size(), 2u);
}

TEST_F(WmiQuery, RowsHoldEveryRequestedNameEvenWhereGetFails) {
  wmi_.Answer(kQuery, Objects({{{L"Model", FakeValue::Text(L"Disk")},
                                {L"Size", FakeValue::Failure(WBEM_E_FAILED)},
                                {L"Index", FakeValue::Int(0)}},
                               {{L"Model", FakeValue::Text(L"Other")}}}));
  const std::vector<PropertyRow> rows = QueryRows(connection, kQuery, {L"Model", L"Size", L"Index"});
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], (PropertyRow{{L"Model", L"Disk"}, {L"Size", L""}, {L"Index", L"0"}}));
  // Names the object does not know at all still get their key.
  EXPECT_EQ(rows[1], (PropertyRow{{L"Model", L"Other"}, {L"Size", L""}, {L"Index", L""}}));
}

TEST_F(WmiQuery, RowsForAnEmptyNameListAreOneEmptyRowPerObject) {
  wmi_.Answer(kQuery, Objects({Named(L"A"), Named(L"B")}));
  const std::vector<PropertyRow> rows = QueryRows(connection, kQuery, {});
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_TRUE(rows[0].empty());
  EXPECT_TRUE(rows[1].empty());
  EXPECT_TRUE(wmi_.getCalls.empty());
}

TEST_F(WmiQuery, RowsGiveARepeatedNameOneKeyButReadItEachTime) {
  wmi_.Answer(kQuery, Objects({{{L"A", FakeValue::Text(L"a")}, {L"B", FakeValue::Text(L"b")}}}));
  const std::vector<PropertyRow> rows = QueryRows(connection, kQuery, {L"A", L"B", L"A"});
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0], (PropertyRow{{L"A", L"a"}, {L"B", L"b"}}));
  ASSERT_EQ(wmi_.getCalls.size(), 3u);
  EXPECT_EQ(wmi_.getCalls[2].name, L"A");
}

TEST_F(WmiQuery, RowsKeepWhatCameBeforeTheEnumerationFailed) {
  FakeQueryAnswer answer = Objects({Named(L"A"), Named(L"B"), Named(L"C")});
  answer.failNextAt = 2;
  answer.nextFailure = RPC_E_DISCONNECTED;
  wmi_.Answer(kQuery, answer);
  const std::vector<PropertyRow> rows = QueryRows(connection, kQuery, {L"Name"});
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].at(L"Name"), L"A");
  EXPECT_EQ(rows[1].at(L"Name"), L"B");
}

TEST_F(WmiQuery, RowsEndAtANextThatReportsAnObjectButGivesNone) {
  FakeQueryAnswer answer = Objects({Named(L"A"), Named(L"B")});
  answer.nullObjectAt = 0;
  wmi_.Answer(kQuery, answer);
  EXPECT_TRUE(QueryRows(connection, kQuery, {L"Name"}).empty());
  EXPECT_EQ(wmi_.nextCalls.size(), 1u);
}

// Waits of 5 s at most, each followed by another on the same enumerator: a statement is given up
// only after 60 s (the first after the open) or 30 s (any later one) without a new object, and
// keeps what came. A failure is noted with its code.
TEST_F(WmiQuery, SlowStatementsGetEveryObjectAndOnlySilenceOrFailureIsNoted) {
  FakeQueryAnswer cold = Objects({Named(L"A")});
  cold.firstObjectDelay = 50000;
  wmi_.Answer(L"cold", cold);
  FakeQueryAnswer slow = cold;
  slow.firstObjectDelay = 25000;
  wmi_.Answer(L"slow", slow);
  FakeQueryAnswer hangs = Objects({Named(L"A"), Named(L"B"), Named(L"C")});
  hangs.hangFrom = 2;
  wmi_.Answer(kQuery, hangs);
  FakeQueryAnswer fails = Objects({Named(L"A"), Named(L"B"), Named(L"C")});
  fails.failNextAt = 2;
  fails.nextFailure = WBEM_E_TRANSPORT_FAILURE;
  wmi_.Answer(L"fails", fails);
  FakeQueryAnswer invalid;
  invalid.execQueryResult = WBEM_E_INVALID_CLASS;
  wmi_.Answer(L"invalid", invalid);

  EXPECT_EQ(QueryNameList(connection, L"cold"), Names{L"A"});
  EXPECT_EQ(QueryNameList(connection, L"slow"), Names{L"A"});
  EXPECT_EQ(QueryNameList(connection, kQuery), (Names{L"A", L"B"}));
  EXPECT_EQ(QueryNameList(connection, L"fails"), (Names{L"A", L"B"}));
  EXPECT_EQ(QuerySingleValue(connection, L"invalid", L"Name"), L"");
  EXPECT_EQ(wmi_.now, 50000u + 25000u + 30000u);
  for (const auto& call : wmi_.nextCalls) EXPECT_EQ(call.timeout, 5000);
  std::vector<std::pair<std::wstring, HRESULT>> troubles;
  for (const WmiTrouble& trouble : connection.Troubles()) troubles.emplace_back(trouble.statement, trouble.code);
  EXPECT_EQ(troubles, (std::vector<std::pair<std::wstring, HRESULT>>{
                          {kQuery, WBEM_S_TIMEDOUT}, {L"fails", WBEM_E_TRANSPORT_FAILURE}, {L"invalid", WBEM_E_INVALID_CLASS}}));
}

TEST_F(WmiQuery, ObjectValuesAreClearedAfterEveryRead) {
  // Each Get of this value hands out a reference; TearDown finds it given back.
  const FakeObject holder = {{L"Name", FakeValue::CountedObject()}, {L"Ref", FakeValue::CountedObject()}};
  wmi_.Answer(kQuery, Objects({holder, holder}));
  EXPECT_EQ(QuerySingleValue(connection, kQuery, L"Ref"), L"");
  EXPECT_TRUE(QueryNameList(connection, kQuery).empty());
  const std::vector<PropertyRow> rows = QueryRows(connection, kQuery, {L"Name", L"Ref"});
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1], (PropertyRow{{L"Name", L""}, {L"Ref", L""}}));
  EXPECT_EQ(wmi_.getCalls.size(), 7u);
}

}  // namespace
}  // namespace vantrel
