// Seeded random machines for fault-injection runs of the collection pass: any platform call may
// fail and any value may be odd. Each scripted value carries the text (and, for byte counts, the
// count) that it stands for, decided when it was made, so a test can predict the pass's output.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "fakes/fake_dxgi.h"
#include "fakes/fake_wmi.h"

namespace vantrel::testing {

// Names for the pass's statements, in the order it issues them (the category table's).
enum MachineStatement : std::size_t {
  kCaptionStatement,
  kArchitectureStatement,
  kProcessorStatement,
  kTotalMemoryStatement,
  kModulesStatement,
  kBoardMakerStatement,
  kBoardProductStatement,
  kDisksStatement,
  kSoundStatement,
  kOpticalStatement,
  kMachineStatementCount
};

const std::wstring& StatementText(MachineStatement statement);
// The property names the pass reads from the statement's result objects.
const std::vector<std::wstring>& StatementProperties(MachineStatement statement);

// What makes a value odd, as bits; a test counts them to see that a run reached every kind.
enum ValueKind : unsigned {
  kGetFails = 1u << 0,      // Get answers a failure code
  kMissing = 1u << 1,       // no value carries it: the object lacks the property (Get: WBEM_E_NOT_FOUND)
  kNullBstr = 1u << 2,      // VT_BSTR with a null pointer
  kEmptyText = 1u << 3,     // a string of no characters
  kVtNull = 1u << 4,        // VT_NULL
  kVtEmpty = 1u << 5,       // VT_EMPTY
  kInteger = 1u << 6,       // an integer type, turned into digits
  kNegative = 1u << 7,      // an integer below zero
  kByRef = 1u << 8,         // VT_BYREF to a string or an integer
  kByRefVariant = 1u << 9,  // VT_BYREF | VT_VARIANT
  kEmbeddedNul = 1u << 10,  // a NUL inside the string: the text ends there
  kCrLf = 1u << 11,         // CR LF (or a lone CR or LF) inside the text
  kLongText = 1u << 12,     // 65,536 characters
  kFormatSigns = 1u << 13,  // % signs, as in "%s"
  kNothingWord = 1u << 14,  // the text "없음" itself, or a whole fallback line
  kObject = 1u << 15,       // an object reference, which has no text
  kSignedCount = 1u << 16,  // a byte count behind a + or - sign
  kSpacedCount = 1u << 17,  // a byte count behind white space, or with a tail after it
  kLetterCount = 1u << 18,  // a byte count text that starts with a letter
  kHugeCount = 1u << 19,    // a byte count of 20 to 30 digits, beyond 64 bits
  kValueKindCount = 20
};

const char* ValueKindName(unsigned kindBit);

// One property as a result object answers it, and what the reader should make of it.
struct ScriptedValue {
  FakeValue value;
  std::wstring text;         // the value as text (empty where Get fails or nothing came)
  std::uint64_t count = 0;   // byte-count properties: the number that text reads as
  unsigned kinds = 0;        // ValueKind bits
};

using ScriptedObject = std::vector<std::pair<std::wstring, ScriptedValue>>;

struct ScriptedQuery {
  std::vector<ScriptedObject> objects;
  HRESULT execQueryResult = S_OK;
  bool noEnumerator = false;
  int failNextAt = -1;  // the zero-based Next call that answers nextFailure with no object
  HRESULT nextFailure = WBEM_E_FAILED;
  int nullObjectAt = -1;  // the Next call that reports one object but gives null
};

struct RandomMachine {
  std::uint32_t seed = 0;

  // The open, step by step (see FakeWmi).
  HRESULT coInitializeResult = S_OK, coInitializeSecurityResult = S_OK, coCreateInstanceResult = S_OK,
          connectServerResult = S_OK, proxyBlanketResult = S_OK;
  bool giveLocator = true, giveServices = true;

  ScriptedQuery queries[kMachineStatementCount];

  // DXGI (see FakeDxgi).
  std::vector<FakeAdapter> adapters;
  HRESULT createResult = S_OK;
  bool giveFactory = true;
  int failEnumAt = -1;
  HRESULT enumFailure = E_FAIL;
};

// The same seed gives the same machine with every compiler and standard library.
RandomMachine MakeRandomMachine(std::uint32_t seed);

// Scripts the fakes to answer as the machine does.
void ScriptMachine(const RandomMachine& machine, FakeWmi& wmi, FakeDxgi& dxgi);

}  // namespace vantrel::testing
