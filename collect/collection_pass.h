// The one pass that asks the probes about the nine categories, and what it gives: each
// category's lines and its share of the spec report, the text the copy action puts on the
// clipboard.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "collect/categories.h"
#include "collect/category_list.h"

namespace vantrel {

using CategoryLists = std::array<CategoryList*, kCategoryCount>;

enum class PassResult {
  kComplete,
  kIncomplete,      // WMI failed or did not answer a statement in time; those categories say so
  kWmiUnavailable,  // the connection could not be opened
};

// One category's share of a pass: the lines its list shows, its text in the report (its lines
// each with CR LF; the "없음" fallbacks differ between the two), and the diagnostic lines its
// reading gave ("Disk: <model>\n", "WMI Error: ...\n"), for whoever takes the outcome to say once.
// The notice of its first trouble (and the trouble's code) is kept from the moment it happens, so
// that a category cut short later still says that trouble rather than the cut; the notice joins
// the lines and the report only once the category is shown (Choose).
struct CategoryOutcome {
  std::vector<std::wstring> lines;
  std::wstring report;
  std::wstring diagnostics;
  std::wstring notice;
  HRESULT trouble = S_OK;
};
// What has come of each category from one reading; nothing for one it has not finished.
using CategoryOutcomes = std::array<std::optional<CategoryOutcome>, kCategoryCount>;

// Told of the pass as it goes, on the thread that runs it.
class PassObserver {
 public:
  virtual ~PassObserver() = default;
  // Before each of WMI's questions: the WQL statement, or kConnecting for the connection.
  virtual void Asking(Category category, const std::wstring& statement) = 0;
  // As each line comes: what the category gained since the last call (the line, its report text
  // and diagnostics), kept should the pass stop there.
  virtual void Read(Category /*category*/, CategoryOutcome /*added*/) {}
  virtual void Finished(Category category, CategoryOutcome outcome) = 0;
  // Once every category is finished, before the connection is closed: a WMI service that is stuck
  // may hold the close.
  virtual void Ended(PassResult result) = 0;
};

// Appends what a category gained to what it had; the first notice stays.
void Append(CategoryOutcome& outcome, CategoryOutcome added);

// Keeps what each category gave, for a pass run and shown on one thread.
class KeptOutcomes final : public PassObserver {
 public:
  void Asking(Category, const std::wstring&) override {}
  void Finished(Category category, CategoryOutcome outcome) override { outcomes[category] = std::move(outcome); }
  void Ended(PassResult) override {}
  CategoryOutcomes outcomes;
};

// What Asking names while the WMI connection is being opened.
constexpr wchar_t kConnecting[] = L"connect";

// One reading of the pass, told to its observer as it goes; it writes nothing anywhere.
using PassFunction = std::function<PassResult(PassObserver&)>;

// The pass's two readings, each run on a thread of its own. WMI's reads the WMI categories in
// their read order over a connection of its own; when it cannot be opened, "WMI Init Failed\n"
// leads the diagnostics and each says so, with the failing step's code. The platform's reads the
// device probes first, then the WMI categories again from the platform's own sources. A reading
// left empty is not run.
struct PassReaders {
  PassReaders(PassFunction wmiReading, PassFunction platformReading = nullptr)
      : wmi(std::move(wmiReading)), platform(std::move(platformReading)) {}
  PassFunction wmi;
  PassFunction platform;
};
PassReaders CollectionReaders();

// The class a statement of the pass reads: the word after FROM.
std::wstring ClassOf(const std::wstring& statement);

// Why a category was not finished: no answer in time, or the user chose not to wait.
enum class CutShort { kNotAnswered, kSkipped };

// What one reading gave of a category: its outcome if it finished it, else what it had read when
// the wait ended.
struct Reading {
  std::optional<CategoryOutcome> finished;
  CategoryOutcome soFar;
};
// What a category shows, from WMI's reading and the platform's (null: that one does not read it):
// WMI's when it finished without trouble; else the platform's when it did, with a diagnostic
// line naming its source and WMI's trouble; else the lines of whichever got further, then the
// notice of the first reading's trouble (a cut gives `why`). The notice is then in the lines.
CategoryOutcome Choose(Category category, const Reading* wmi, const Reading* platform, CutShort why);
// Whether the platform's reading is the one that reads the category first: a device's, when
// there is a platform reading.
inline bool ReadFirstByPlatform(const CategoryInfo& info, bool hasPlatform) { return hasPlatform && !info.FromWmi(); }
// Each category chosen from the readings of both (without a platform reading, WMI's is the one
// asked about every category).
CategoryOutcomes ChooseOutcomes(const std::array<Reading, kCategoryCount>& wmi,
                                const std::array<Reading, kCategoryCount>* platform, CutShort why);
// Complete when no category shows a notice; else kWmiUnavailable when WMI could not be opened.
PassResult ResultOf(const CategoryOutcomes& shown, bool wmiUnavailable);

// Writes the diagnostics of what came, in category order, to the echo stream.
void SayDiagnostics(const CategoryOutcomes& outcomes);

// Fills each list and the report (lines each ended by CR LF, in category order) with what was
// chosen; a category that did not come says that it got no answer in time. The first line of
// each list ends selected.
void ShowOutcomes(const CategoryOutcomes& outcomes, const CategoryLists& categories, std::wstring& specReport);

// Runs the readings here, the platform's first, and chooses what each category shows.
CategoryOutcomes RunReadings(const PassReaders& readers, PassResult* result);

// Runs the real readings here, shows what was chosen and says its diagnostics.
PassResult RunCollectionPass(const CategoryLists& categories, std::wstring& specReport);

// One list object per category, in category order, as the lists the pass fills.
template <class List, class = std::enable_if_t<std::is_base_of_v<CategoryList, List>>>
CategoryLists ListsOf(std::array<List, kCategoryCount>& lists) {
  CategoryLists categories{};
  for (std::size_t i = 0; i < kCategoryCount; ++i) categories[i] = &lists[i];
  return categories;
}

template <class List, class = std::enable_if_t<std::is_base_of_v<CategoryList, List>>>
PassResult RunCollectionPass(std::array<List, kCategoryCount>& lists, std::wstring& specReport) {
  return RunCollectionPass(ListsOf(lists), specReport);
}

}  // namespace vantrel
