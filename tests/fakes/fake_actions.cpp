#include "fakes/fake_actions.h"

#include <cwchar>

namespace vantrel::testing {
namespace {

FakeActions* g_fake = nullptr;

BOOL WINAPI FakeOpenClipboard(HWND owner) {
  g_fake->calls.push_back("OpenClipboard");
  g_fake->clipboardOwner = owner;
  g_fake->clipboardOpen = g_fake->clipboardRefusals == 0;
  if (!g_fake->clipboardOpen) --g_fake->clipboardRefusals;
  return g_fake->clipboardOpen ? TRUE : FALSE;
}

BOOL WINAPI FakeEmptyClipboard() {
  g_fake->calls.push_back("EmptyClipboard");
  return TRUE;
}

HGLOBAL WINAPI FakeGlobalAlloc(UINT flags, SIZE_T bytes) {
  g_fake->calls.push_back("GlobalAlloc");
  g_fake->allocationFlags = flags;
  g_fake->allocationBytes = bytes;
  if (!g_fake->allocationSucceeds) return nullptr;
  ++g_fake->blocksAllocated;
  return GlobalAlloc(flags, bytes);
}

LPVOID WINAPI FakeGlobalLock(HGLOBAL block) {
  g_fake->calls.push_back("GlobalLock");
  return g_fake->lockSucceeds ? GlobalLock(block) : nullptr;
}

BOOL WINAPI FakeGlobalUnlock(HGLOBAL block) {
  g_fake->calls.push_back("GlobalUnlock");
  return GlobalUnlock(block);
}

HGLOBAL WINAPI FakeGlobalFree(HGLOBAL block) {
  g_fake->calls.push_back("GlobalFree");
  ++g_fake->blocksFreed;
  return GlobalFree(block);
}

// Takes the block like a clipboard would: reads the text and from then on owns (here: frees) it.
HANDLE WINAPI FakeSetClipboardData(UINT format, HANDLE data) {
  g_fake->calls.push_back("SetClipboardData");
  g_fake->clipboardFormat = format;
  if (!g_fake->clipboardTakesData || !g_fake->clipboardOpen) return nullptr;
  const auto* text = static_cast<const wchar_t*>(GlobalLock(data));
  const SIZE_T units = GlobalSize(data) / sizeof(wchar_t);
  g_fake->clipboardTexts.emplace_back(text, wcsnlen(text, units));
  GlobalUnlock(data);
  GlobalFree(data);
  ++g_fake->blocksTaken;
  return data;
}

BOOL WINAPI FakeCloseClipboard() {
  g_fake->calls.push_back("CloseClipboard");
  g_fake->clipboardOpen = false;
  return TRUE;
}

// The COM and shell calls may come from a thread of the program's own, which has no COM yet.
bool OnTheTestsThread() { return GetCurrentThreadId() == g_fake->testThread; }

void NoteThreadedCall(const char* name) {
  g_fake->calls.push_back(std::string(name) + (OnTheTestsThread() ? "" : " on another thread"));
}

HRESULT WINAPI FakeCoInitializeEx(LPVOID, DWORD coInit) {
  NoteThreadedCall("CoInitializeEx");
  g_fake->comInitializeFlags.push_back(coInit);
  return OnTheTestsThread() ? g_fake->comInitializeResult : S_OK;
}

void WINAPI FakeCoUninitialize() { NoteThreadedCall("CoUninitialize"); }

HINSTANCE WINAPI FakeShellExecute(HWND owner, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                                  INT show) {
  NoteThreadedCall("ShellExecuteW");
  g_fake->shellCalls.push_back(FakeActions::ShellCall{owner, operation != nullptr ? operation : L"<null>",
                                                      file != nullptr ? file : L"<null>", parameters == nullptr,
                                                      directory == nullptr, show});
  return reinterpret_cast<HINSTANCE>(g_fake->shellAnswer);
}

int WINAPI FakeMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  g_fake->calls.push_back("MessageBoxW");
  g_fake->messages.push_back(FakeActions::Message{owner, text != nullptr ? text : L"<null>",
                                                  caption != nullptr ? caption : L"<null>", type});
  return IDOK;
}

void WINAPI FakeSleep(DWORD milliseconds) { g_fake->sleptFor += milliseconds; }

const ActionEntryPoints kFakeTable = {&FakeOpenClipboard, &FakeEmptyClipboard,   &FakeGlobalAlloc,
                                      &FakeGlobalLock,    &FakeGlobalUnlock,     &FakeGlobalFree,
                                      &FakeSetClipboardData, &FakeCloseClipboard, &FakeCoInitializeEx,
                                      &FakeCoUninitialize,   &FakeShellExecute,   &FakeMessageBox, &FakeSleep};

}  // namespace

FakeActions::FakeActions() : testThread(GetCurrentThreadId()), table_(ActionApi(), kFakeTable) { g_fake = this; }

FakeActions::~FakeActions() { g_fake = nullptr; }

}  // namespace vantrel::testing
