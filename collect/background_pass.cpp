#include "collect/background_pass.h"

#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "collect/echo.h"
#include "probes/com_entry_points.h"
#include "probes/unique_handle.h"

namespace vantrel {
namespace {

ULONGLONG Now() { return ComApi().getTickCount64(); }

// One thing the pass handed over, stamped with the time it was handed over.
struct Message {
  enum Kind { kAsking, kRead, kFinished, kEnded } kind;
  ULONGLONG at;
  Category category;
  std::wstring statement;
  CategoryOutcome outcome;
  PassResult result;
  std::exception_ptr error;
};

}  // namespace

// Where the pass leaves its messages; both sides hold it, so it lives as long as either.
struct BackgroundPass::Channel {
  std::mutex lock;
  std::vector<Message> messages;
  UniqueHandle arrival{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
  UniqueHandle returned{CreateEventW(nullptr, TRUE, FALSE, nullptr)};  // the pass function returned
  HWND notified = nullptr;
  UINT notice = 0;

  // Stamped under the lock, so that a waiter that read the clock before taking the messages finds
  // every message stamped before that.
  void Post(Message message) {
    {
      const std::lock_guard<std::mutex> held(lock);
      message.at = Now();
      messages.push_back(std::move(message));
      // Under the lock, so that a window that stopped listening is never posted to afterwards.
      if (notified != nullptr) PostMessageW(notified, notice, 0, 0);
    }
    if (arrival) SetEvent(arrival.get());
  }
};

namespace {

class PostingObserver final : public PassObserver {
 public:
  explicit PostingObserver(BackgroundPass::Channel& channel) : channel_(channel) {}
  void Asking(Category category, const std::wstring& statement) override {
    channel_.Post(Message{Message::kAsking, 0, category, statement, {}, PassResult::kIncomplete, nullptr});
  }
  void Read(Category category, CategoryOutcome added) override {
    channel_.Post(Message{Message::kRead, 0, category, {}, std::move(added), PassResult::kIncomplete, nullptr});
  }
  void Finished(Category category, CategoryOutcome outcome) override {
    channel_.Post(Message{Message::kFinished, 0, category, {}, std::move(outcome), PassResult::kIncomplete, nullptr});
  }
  void Ended(PassResult result) override {
    channel_.Post(Message{Message::kEnded, 0, kOdd, {}, {}, result, nullptr});
    ended = true;
  }

  bool ended = false;

 private:
  BackgroundPass::Channel& channel_;
};

// The pass thread: everything it touches is its own or lives until the process ends. The end is
// said by the pass itself where it can; after a pass that did not say it, it is said here.
void RunPass(const std::shared_ptr<BackgroundPass::Channel>& channel, const PassFunction& pass) noexcept {
  struct SayReturned {
    HANDLE event;
    ~SayReturned() {
      if (event != nullptr) SetEvent(event);
    }
  } sayReturned{channel->returned.get()};
  PostingObserver observer(*channel);
  Message end{Message::kEnded, 0, kOdd, {}, {}, PassResult::kIncomplete, nullptr};
  try {
    end.result = pass(observer);
    if (observer.ended) return;
  } catch (...) {
    if (observer.ended) return;  // its end was said; what failed after it changes nothing taken
    end.error = std::current_exception();
  }
  try {
    channel->Post(std::move(end));
  } catch (...) {
    // Out of memory even for the last word: the waiter reaches its limit instead.
  }
}

}  // namespace

BackgroundPass::BackgroundPass(PassFunction pass) : pass_(std::move(pass)), channel_(std::make_shared<Channel>()) {}

BackgroundPass::~BackgroundPass() { NotifyWindow(nullptr, 0); }

void BackgroundPass::Start() {
  if (started_) return;
  started_ = true;
  startedAt_ = Now();
  deadline_ = startedAt_ + kPassLimit;
  std::thread(RunPass, channel_, std::move(pass_)).detach();
}

void BackgroundPass::NotifyWindow(HWND window, UINT message) {
  const std::lock_guard<std::mutex> held(channel_->lock);
  channel_->notified = window;
  channel_->notice = message;
}

bool BackgroundPass::Take(DWORD wait) {
  Start();
  if (over_) return true;
  ULONGLONG now = Now();
  if (wait > 0 && now < deadline_ && channel_->arrival) {
    const ULONGLONG left = deadline_ - now;
    WaitForSingleObject(channel_->arrival.get(), static_cast<DWORD>(left < wait ? left : wait));
    now = Now();
  }
  const bool late = now >= deadline_;
  std::vector<Message> arrived;
  {
    const std::lock_guard<std::mutex> held(channel_->lock);
    arrived.swap(channel_->messages);
  }
  for (Message& message : arrived) {
    if (message.at > deadline_) break;
    switch (message.kind) {
      case Message::kAsking:
        current_ = message.category;
        asking_ = std::move(message.statement);
        break;
      case Message::kRead:
        if (!readSoFar_[message.category]) readSoFar_[message.category].emplace();
        Append(*readSoFar_[message.category], std::move(message.outcome));
        break;
      case Message::kFinished:
        outcomes_[message.category] = std::move(message.outcome);
        readSoFar_[message.category].reset();
        asking_.clear();
        break;
      case Message::kEnded:
        if (message.error) {
          over_ = true;  // a window still looking ends its wait the usual way
          std::rethrow_exception(message.error);
        }
        ended_ = true;
        result_ = message.result;
        break;
    }
  }
  over_ = ended_ || late;
  if (over_) Conclude();
  return over_;
}

// Once, when the wait is over: every category gets an outcome, and what came is said.
void BackgroundPass::Conclude() {
  const CutShort why = gaveUp_ ? CutShort::kSkipped : CutShort::kNotAnswered;
  for (std::size_t i = 0; i < kCategoryCount; ++i) {
    if (outcomes_[i]) continue;
    outcomes_[i] = CutShortOutcome(static_cast<Category>(i), readSoFar_[i].value_or(CategoryOutcome()), why);
  }
  SayDiagnostics(outcomes_);
  if (!ended_ && !asking_.empty()) {
    EchoToStdout(gaveUp_ ? L"WMI Skipped: %s\n" : L"WMI Timeout: %s\n", {ClassOf(asking_)});
  }
}

void BackgroundPass::GiveUp() {
  const ULONGLONG now = Now();
  if (over_ || now >= deadline_) return;
  deadline_ = now;
  gaveUp_ = true;
}

std::size_t BackgroundPass::FinishedCount() const {
  std::size_t finished = 0;
  for (const std::optional<CategoryOutcome>& outcome : outcomes_) finished += outcome ? 1 : 0;
  return finished;
}

HANDLE BackgroundPass::Arrival() const { return channel_->arrival.get(); }

bool BackgroundPass::WaitForReturn(DWORD wait) const {
  return started_ && channel_->returned && WaitForSingleObject(channel_->returned.get(), wait) == WAIT_OBJECT_0;
}

ULONGLONG BackgroundPass::Elapsed() const { return Now() - startedAt_; }

}  // namespace vantrel
