// The collection pass's two readings, each on a thread of its own, so that whoever waits for them
// can keep answering and can stop waiting. Each hands over each line as it is read and each
// finished category, as values; nothing mutable is shared with them, and no COM pointer crosses.
// A reading that is given up on is left to run to the end of the process: never joined, never
// killed, owning all it touches.
#pragma once

#include <windows.h>

#include <array>
#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "collect/collection_pass.h"

namespace vantrel {

// How long after its start a pass is waited for, whatever WMI does, the connection included.
constexpr ULONGLONG kPassLimit = 90000;

class BackgroundPass {
 public:
  explicit BackgroundPass(PassReaders readers);
  BackgroundPass(const BackgroundPass&) = delete;
  BackgroundPass& operator=(const BackgroundPass&) = delete;
  ~BackgroundPass();

  // Starts each reading on a thread of its own, on the clock that WMI's waits are measured on; the
  // limit counts from here. Once only: later calls do nothing.
  void Start();
  // From now on each hand-over also posts `message` to `window` (null: none), for a window that
  // wants to look at once rather than at its next timer.
  void NotifyWindow(HWND window, UINT message);

  // Takes what the readings handed over by now, first waiting up to `wait` ms for something to
  // come. True once it is over: both ended, every category came whole from the reading that reads
  // it first, it was given up, or it reached its limit. What they
  // hand over after that is not taken. Once over, each category is chosen from the two readings
  // (Choose), and the diagnostics of what was chosen are said, in category order, followed by
  // "WMI Timeout: <class>" (the limit) or "WMI Skipped: <class>" (given up) for a statement still
  // unanswered. An exception that stopped a reading is raised here.
  bool Take(DWORD wait);
  // Takes until the pass is over, with no window to answer meanwhile.
  void WaitUntilOver() {
    while (!Take(INFINITE)) {
    }
  }
  // Stops waiting: what came by now is all that will be taken.
  void GiveUp();

  // Signalled when the pass hands something over, for a message loop to wait on (may be null).
  HANDLE Arrival() const;
  // Waits up to `wait` ms for both readings to return, WMI's connection closed, which comes after
  // its end is said; true once they have.
  bool WaitForReturn(DWORD wait) const;
  ULONGLONG Elapsed() const;
  // The category WMI's reading asked about last, and how many categories are finished.
  Category Current() const { return current_; }
  std::size_t FinishedCount() const;

  // Once over: complete when every category is, from either reading; else kWmiUnavailable when
  // WMI could not be opened, else kIncomplete.
  PassResult Result() const { return result_; }
  // Once over: whether both readings said their end in time.
  bool Ended() const { return ended_[kWmiReading] && ended_[kPlatformReading]; }
  // Once over: what each category shows.
  const CategoryOutcomes& Outcomes() const { return shown_; }

  struct Channel;
  enum Reader : std::size_t { kWmiReading, kPlatformReading, kReadings };

 private:
  void Conclude();
  const std::optional<CategoryOutcome>& FirstFinished(const CategoryInfo& info) const;
  bool Settled() const;

  PassReaders readers_;
  std::shared_ptr<Channel> channel_;
  bool hasPlatform_;
  ULONGLONG startedAt_ = 0;
  ULONGLONG deadline_ = 0;
  std::array<std::array<Reading, kCategoryCount>, kReadings> readings_;
  CategoryOutcomes shown_;
  Category current_ = ReadOrder()[0];
  std::wstring asking_;
  bool started_ = false;
  bool gaveUp_ = false;
  std::array<bool, kReadings> ended_{};  // a reading that is not run counts as ended
  bool wmiUnavailable_ = false;  // as WMI's reading said at its end
  bool over_ = false;
  PassResult result_ = PassResult::kIncomplete;
};

}  // namespace vantrel
