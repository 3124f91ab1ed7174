// The collection pass on a thread of its own, so that whoever waits for it can keep answering and
// can stop waiting. The pass hands over each line as it is read and each finished category, as
// values; nothing mutable is shared with it, and no COM pointer crosses. A pass that is given up on is left to run to the
// end of the process: never joined, never killed, owning all it touches.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "collect/collection_pass.h"

namespace vantrel {

using PassFunction = std::function<PassResult(PassObserver&)>;

// How long after its start a pass is waited for, whatever WMI does, the connection included.
constexpr ULONGLONG kPassLimit = 90000;

class BackgroundPass {
 public:
  explicit BackgroundPass(PassFunction pass);
  BackgroundPass(const BackgroundPass&) = delete;
  BackgroundPass& operator=(const BackgroundPass&) = delete;
  ~BackgroundPass();

  // Starts the pass on a thread of its own, on the clock that WMI's waits are measured on; the
  // limit counts from here. Once only: later calls do nothing.
  void Start();
  // From now on each hand-over also posts `message` to `window` (null: none), for a window that
  // wants to look at once rather than at its next timer.
  void NotifyWindow(HWND window, UINT message);

  // Takes what the pass handed over by now, first waiting up to `wait` ms for something to come.
  // True once it is over: the pass ended, was given up, or reached its limit. What the pass
  // hands over after that is not taken. Once over, a category the pass did not finish shows what
  // it had read and why it stops there, and the diagnostics of what was taken are said, in
  // category order, followed by "WMI Timeout: <class>" (the limit) or "WMI Skipped: <class>"
  // (given up) for a statement still unanswered. An exception that stopped the pass is raised here.
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
  // Waits up to `wait` ms for the pass to return, its WMI connection closed, which comes after
  // its end is said; true once it has.
  bool WaitForReturn(DWORD wait) const;
  ULONGLONG Elapsed() const;
  // The category asked about last, and how many categories are finished.
  Category Current() const { return current_; }
  std::size_t FinishedCount() const;

  // Once over: the pass's own result when it ended, else kIncomplete.
  PassResult Result() const { return ended_ ? result_ : PassResult::kIncomplete; }
  // Once over: whether the pass said its end in time.
  bool Ended() const { return ended_; }
  // Once over: what came of each category.
  const CategoryOutcomes& Outcomes() const { return outcomes_; }

  struct Channel;

 private:
  void Conclude();

  PassFunction pass_;
  std::shared_ptr<Channel> channel_;
  ULONGLONG startedAt_ = 0;
  ULONGLONG deadline_ = 0;
  CategoryOutcomes outcomes_;
  CategoryOutcomes readSoFar_;  // of the categories not finished yet
  Category current_ = ReadOrder()[0];
  std::wstring asking_;
  bool started_ = false;
  bool gaveUp_ = false;
  bool ended_ = false;
  bool over_ = false;
  PassResult result_ = PassResult::kIncomplete;
};

}  // namespace vantrel
