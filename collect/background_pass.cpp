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
  std::size_t reader;
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
  UniqueHandle returned{CreateEventW(nullptr, TRUE, FALSE, nullptr)};  // every reading returned
  int running = 0;  // readings that have not returned, under the lock
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
  PostingObserver(BackgroundPass::Channel& channel, std::size_t reader) : channel_(channel), reader_(reader) {}
  void Asking(Category category, const std::wstring& statement) override {
    channel_.Post(Message{Message::kAsking, reader_, 0, category, statement, {}, PassResult::kIncomplete, nullptr});
  }
  void Read(Category category, CategoryOutcome added) override {
    channel_.Post(Message{Message::kRead, reader_, 0, category, {}, std::move(added), PassResult::kIncomplete, nullptr});
  }
  void Finished(Category category, CategoryOutcome outcome) override {
    channel_.Post(
        Message{Message::kFinished, reader_, 0, category, {}, std::move(outcome), PassResult::kIncomplete, nullptr});
  }
  void Ended(PassResult result) override {
    channel_.Post(Message{Message::kEnded, reader_, 0, Category{}, {}, {}, result, nullptr});
    ended = true;
  }

  bool ended = false;

 private:
  BackgroundPass::Channel& channel_;
  std::size_t reader_;
};

// A reading's thread: everything it touches is its own or lives until the process ends. The end
// is said by the reading itself where it can; after one that did not say it, it is said here.
void RunPass(const std::shared_ptr<BackgroundPass::Channel>& channel, const PassFunction& pass,
             std::size_t reader) noexcept {
  struct SayReturned {
    BackgroundPass::Channel& channel;
    ~SayReturned() {
      bool last = false;
      {
        const std::lock_guard<std::mutex> held(channel.lock);
        last = --channel.running == 0;
      }
      if (last && channel.returned) SetEvent(channel.returned.get());
    }
  } sayReturned{*channel};
  PostingObserver observer(*channel, reader);
  Message end{Message::kEnded, reader, 0, Category{}, {}, {}, PassResult::kIncomplete, nullptr};
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

BackgroundPass::BackgroundPass(PassReaders readers)
    : readers_(std::move(readers)), channel_(std::make_shared<Channel>()), hasPlatform_(static_cast<bool>(readers_.platform)) {}

BackgroundPass::~BackgroundPass() { NotifyWindow(nullptr, 0); }

void BackgroundPass::Start() {
  if (started_) return;
  started_ = true;
  startedAt_ = Now();
  deadline_ = startedAt_ + kPassLimit;
  PassFunction* const readings[kReadings] = {&readers_.wmi, &readers_.platform};
  {
    const std::lock_guard<std::mutex> held(channel_->lock);
    for (PassFunction* reading : readings) channel_->running += *reading ? 1 : 0;
  }
  for (std::size_t reader = 0; reader < kReadings; ++reader) {
    if (*readings[reader]) {
      std::thread(RunPass, channel_, std::move(*readings[reader]), reader).detach();
    } else {
      ended_[reader] = true;
    }
  }
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
    Reading& reading = readings_[message.reader][message.category];
    const bool wmi = message.reader == kWmiReading;
    switch (message.kind) {
      case Message::kAsking:
        if (wmi) {
          current_ = message.category;
          asking_ = std::move(message.statement);
        }
        break;
      case Message::kRead:
        Append(reading.soFar, std::move(message.outcome));
        break;
      case Message::kFinished:
        reading.finished = std::move(message.outcome);
        reading.soFar = CategoryOutcome();
        if (wmi) asking_.clear();
        break;
      case Message::kEnded:
        if (message.error) {
          over_ = true;  // a window still looking ends its wait the usual way
          std::rethrow_exception(message.error);
        }
        ended_[message.reader] = true;
        if (wmi) wmiUnavailable_ = message.result == PassResult::kWmiUnavailable;
        break;
    }
  }
  over_ = Ended() || late || Settled();
  if (over_) Conclude();
  return over_;
}

// Once, when the wait is over: every category gets an outcome, and what came is said.
void BackgroundPass::Conclude() {
  const CutShort why = gaveUp_ ? CutShort::kSkipped : CutShort::kNotAnswered;
  shown_ = ChooseOutcomes(readings_[kWmiReading], hasPlatform_ ? &readings_[kPlatformReading] : nullptr, why);
  result_ = ResultOf(shown_, wmiUnavailable_);
  SayDiagnostics(shown_);
  if (!ended_[kWmiReading] && !asking_.empty()) {
    EchoToStdout(gaveUp_ ? L"WMI Skipped: %s\n" : L"WMI Timeout: %s\n", {ClassOf(asking_)});
  }
}

void BackgroundPass::GiveUp() {
  const ULONGLONG now = Now();
  if (over_ || now >= deadline_) return;
  deadline_ = now;
  gaveUp_ = true;
}

// What the reading that reads a category first (the platform's for a device, else WMI's) has
// finished of it.
const std::optional<CategoryOutcome>& BackgroundPass::FirstFinished(const CategoryInfo& info) const {
  return readings_[ReadFirstByPlatform(info, hasPlatform_) ? kPlatformReading : kWmiReading][info.category].finished;
}

// Every category finished without trouble by the reading that reads it first: what the other may
// still add would not be shown.
bool BackgroundPass::Settled() const {
  for (const CategoryInfo& info : Categories()) {
    const std::optional<CategoryOutcome>& finished = FirstFinished(info);
    if (!finished || !finished->notice.empty()) return false;
  }
  return true;
}

std::size_t BackgroundPass::FinishedCount() const {
  std::size_t finished = 0;
  for (const CategoryInfo& info : Categories()) finished += FirstFinished(info) ? 1 : 0;
  return finished;
}

HANDLE BackgroundPass::Arrival() const { return channel_->arrival.get(); }

bool BackgroundPass::WaitForReturn(DWORD wait) const {
  return started_ && channel_->returned && WaitForSingleObject(channel_->returned.get(), wait) == WAIT_OBJECT_0;
}

ULONGLONG BackgroundPass::Elapsed() const { return Now() - startedAt_; }

}  // namespace vantrel
