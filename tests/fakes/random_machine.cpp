// Builds seeded random machines: failures at every platform seam and odd property values, each
// value made together with the text and byte count it stands for.
#include "fakes/random_machine.h"

#include <climits>
#include <cstdint>
#include <initializer_list>
#include <random>
#include <string>
#include <utility>


namespace vantrel::testing {
namespace {

// Draws from std::mt19937 with plain arithmetic rather than the standard distributions, whose
// results differ between standard libraries: a seed printed by one build replays in another.
class Dice {
 public:
  explicit Dice(std::uint32_t seed) : engine_(seed) {}

  std::uint32_t Below(std::uint32_t n) { return static_cast<std::uint32_t>(engine_() % n); }
  bool Percent(std::uint32_t p) { return Below(100) < p; }
  std::uint64_t Bits(unsigned bits) {
    const std::uint64_t wide = (static_cast<std::uint64_t>(engine_()) << 32) | engine_();
    return bits >= 64 ? wide : wide & ((std::uint64_t{1} << bits) - 1);
  }
  template <class T, std::size_t N>
  const T& Pick(const T (&options)[N]) {
    return options[Below(static_cast<std::uint32_t>(N))];
  }

 private:
  std::mt19937 engine_;
};

struct Statement {
  std::wstring text;
  std::vector<std::wstring> properties;
};

// The pass's statements in the order it issues them, written out so that a change to either shows.
const Statement& StatementOf(MachineStatement statement) {
  static const Statement statements[kMachineStatementCount] = {
      {L"SELECT Caption FROM Win32_OperatingSystem", {L"Caption"}},
      {L"SELECT OSArchitecture FROM Win32_OperatingSystem", {L"OSArchitecture"}},
      {L"SELECT Name FROM Win32_Processor", {L"Name"}},
      {L"SELECT TotalPhysicalMemory FROM Win32_ComputerSystem", {L"TotalPhysicalMemory"}},
      {L"SELECT DeviceLocator, BankLabel, Capacity, Speed, Manufacturer, PartNumber FROM Win32_PhysicalMemory",
       {L"DeviceLocator", L"BankLabel", L"Capacity", L"Speed", L"Manufacturer", L"PartNumber"}},
      {L"SELECT Manufacturer FROM Win32_BaseBoard", {L"Manufacturer"}},
      {L"SELECT Product FROM Win32_BaseBoard", {L"Product"}},
      {L"SELECT Index, Model, Size, InterfaceType, PNPDeviceID FROM Win32_DiskDrive",
       {L"Index", L"Model", L"Size", L"InterfaceType", L"PNPDeviceID"}},
      {L"SELECT Name FROM Win32_SoundDevice", {L"Name"}},
      {L"SELECT Name FROM Win32_CDROMDrive", {L"Name"}},
  };
  return statements[statement];
}

// WMI's status codes are enumerators; as HRESULTs they are the same bits.
constexpr HRESULT Wbem(WBEMSTATUS status) { return static_cast<HRESULT>(status); }

// ---- Texts --------------------------------------------------------------------------------

struct Text {
  std::wstring raw;  // what the string holds, NULs included
  unsigned kinds = 0;
};

// The text a string stands for: everything before its first NUL.
std::wstring BeforeNul(const std::wstring& raw) { return raw.substr(0, raw.find(L'\0')); }

struct Piece {
  const wchar_t* text;
  unsigned kinds;
};

const Piece kPieces[] = {
    {L"Samsung SSD 860 EVO", 0},
    {L"DIMM 0", 0},
    {L"P0 CHANNEL A", 0},
    {L"Intel(R) Core(TM) i7-9700 CPU @ 3.00GHz", 0},
    {L"ST2000DM008-2FR102", 0},
    {L"SCSI\\DISK&VEN_NVME&PROD_SAMSUNG\\5&1", 0},
    {L"IDE", 0},
    {L"64비트", 0},
    {L"32-bit", 0},
    {L"ARM", 0},
    {L"64", 0},
    {L"32", 0},
    {L"고화질 오디오 장치", 0},
    {L"Microsoft Windows 11 Pro", 0},
    {L"없음", kNothingWord},
    {L"Disk: 없음", kNothingWord},
    {L"ODD: ", 0},
    {L"%s", kFormatSigns},
    {L"100%", kFormatSigns},
    {L"%%d %n %ls", kFormatSigns},
    {L"\r\n", kCrLf},
    {L"A\r\nB", kCrLf},
    {L"\r", kCrLf},
    {L"\n", kCrLf},
    {L" ", 0},
    {L"\t", 0},
    {L"  spaced  ", 0},
    {L"\xD83D\xDE00", 0},  // a character outside the BMP, as a surrogate pair
    {L"( )", 0},
    {L"\x00A0\xFEFF", 0},  // no-break space, byte-order mark
};

Text LongText() {
  const std::wstring pattern = L"긴 이름 Long name\r\n";
  Text text;
  text.raw.reserve(65536);
  while (text.raw.size() < 65536) text.raw += pattern;
  text.raw.resize(65536);
  text.kinds = kLongText | kCrLf;
  return text;
}

// One to three pieces, now and then with a NUL inside or in front.
Text OddText(Dice& dice) {
  Text text;
  const std::uint32_t pieces = 1 + dice.Below(3);
  for (std::uint32_t i = 0; i < pieces; ++i) {
    const Piece& piece = dice.Pick(kPieces);
    text.raw += piece.text;
    text.kinds |= piece.kinds;
  }
  const std::uint32_t nul = dice.Below(100);
  if (nul < 8) {
    text.raw += L'\0';
    text.raw += dice.Pick(kPieces).text;
    text.kinds |= kEmbeddedNul;
  } else if (nul < 11) {
    text.raw.insert(text.raw.begin(), L'\0');
    text.kinds = kEmbeddedNul;
  }
  return text;
}

// ---- Values -------------------------------------------------------------------------------

ScriptedValue Valued(FakeValue value, std::wstring text, unsigned kinds, std::uint64_t count = 0) {
  return ScriptedValue{std::move(value), std::move(text), count, kinds};
}

ScriptedValue StringValue(const Text& text, std::uint64_t count = 0) {
  return Valued(FakeValue::Text(text.raw), BeforeNul(text.raw), text.kinds | (text.raw.empty() ? kEmptyText : 0u),
                count);
}

ScriptedValue FailingGet(Dice& dice) {
  const HRESULT failures[] = {Wbem(WBEM_E_NOT_FOUND), Wbem(WBEM_E_FAILED), Wbem(WBEM_E_ACCESS_DENIED),
                              Wbem(WBEM_E_INVALID_PARAMETER), E_OUTOFMEMORY};
  return Valued(FakeValue::Failure(dice.Pick(failures)), L"", kGetFails);
}

ScriptedValue NoValue(Dice& dice) {
  switch (dice.Below(3)) {
    case 0:
      return Valued(FakeValue::NullBstr(), L"", kNullBstr);
    case 1:
      return Valued(FakeValue::Null(), L"", kVtNull);
    default:
      return Valued(FakeValue::Empty(), L"", kVtEmpty);
  }
}

// An integer of a random type; `negative` picks a signed type and a value below zero.
ScriptedValue IntegerValue(Dice& dice, bool negative) {
  VARIANT value;
  VariantInit(&value);
  long long number = 0;
  unsigned long long unsignedNumber = 0;
  bool isSigned = true;
  switch (negative ? dice.Below(3) : dice.Below(6)) {
    case 0:
      V_VT(&value) = VT_I4;
      V_I4(&value) = static_cast<LONG>(negative ? -1 - static_cast<long long>(dice.Bits(31))
                                                : static_cast<long long>(dice.Bits(dice.Below(31) + 1)));
      number = V_I4(&value);
      break;
    case 1:
      V_VT(&value) = VT_I2;
      V_I2(&value) = static_cast<SHORT>(negative ? -1 - static_cast<long long>(dice.Bits(15))
                                                 : static_cast<long long>(dice.Bits(15)));
      number = V_I2(&value);
      break;
    case 2:
      V_VT(&value) = VT_I8;
      V_I8(&value) = negative ? -1 - static_cast<long long>(dice.Bits(63)) : static_cast<long long>(dice.Bits(63));
      number = V_I8(&value);
      break;
    case 3:
      V_VT(&value) = VT_UI1;
      V_UI1(&value) = static_cast<BYTE>(dice.Bits(8));
      unsignedNumber = V_UI1(&value);
      isSigned = false;
      break;
    case 4:
      V_VT(&value) = VT_UI4;
      V_UI4(&value) = static_cast<ULONG>(dice.Bits(32));
      unsignedNumber = V_UI4(&value);
      isSigned = false;
      break;
    default:
      V_VT(&value) = VT_UI8;
      V_UI8(&value) = dice.Bits(64);
      unsignedNumber = V_UI8(&value);
      isSigned = false;
      break;
  }
  const std::wstring digits = isSigned ? std::to_wstring(number) : std::to_wstring(unsignedNumber);
  return Valued(FakeValue::Variant(value), digits, kInteger | (negative ? kNegative : 0u));
}

// A by-reference value: to a string, a null string or an integer, or through a VARIANT.
ScriptedValue ByReference(Dice& dice, ScriptedValue target) {
  if (dice.Percent(60)) {
    return Valued(FakeValue::ByRef(target.value), std::move(target.text), target.kinds | kByRef, target.count);
  }
  return Valued(FakeValue::ByRefVariant(target.value), std::move(target.text), target.kinds | kByRefVariant,
                target.count);
}

// Any value a text property might come with.
ScriptedValue TextValue(Dice& dice) {
  const std::uint32_t roll = dice.Below(1000);
  if (roll < 500) return StringValue(OddText(dice));
  if (roll < 550) return StringValue(Text{});
  if (roll < 650) return NoValue(dice);
  if (roll < 720) return IntegerValue(dice, false);
  if (roll < 750) return IntegerValue(dice, true);
  if (roll < 830) {
    switch (dice.Below(4)) {
      case 0:
        return ByReference(dice, IntegerValue(dice, dice.Percent(30)));
      case 1:
        return ByReference(dice, Valued(FakeValue::NullBstr(), L"", kNullBstr));
      default:
        return ByReference(dice, StringValue(OddText(dice)));
    }
  }
  if (roll < 890) return FailingGet(dice);
  if (roll < 990) return Valued(FakeValue::CountedObject(), L"", kObject);
  return StringValue(LongText());
}

// ---- Byte counts --------------------------------------------------------------------------

// Counts whose size texts are easy to state: below 2^53, or with at most 53 significant bits
// above it (the double that the count becomes is then the count itself), or 2^64 - 1.
std::uint64_t RandomCount(Dice& dice) {
  static const std::uint64_t kNotable[] = {
      0,
      1,
      536870912,
      536870913,
      1073741824,
      1610612736,
      2684354560,
      4294967295,
      8589934592,
      17076154368,
      17113022464,
      17179869184,
      500105249280,
      500107862016,
      1000204886016,
      1098974756864,
      1099511627775,
      1099511627776,
      1649267441664,
      2000396321280,
      2000398934016,
      2199023255552,
      2748779069440,
      2748779069441,
      4000787030016,
      18446744073709551615ull,
  };
  switch (dice.Below(10)) {
    case 0:
    case 1:
    case 2:
    case 3:
      return dice.Pick(kNotable);
    case 4:
    case 5:
    case 6:
      return dice.Bits(1 + dice.Below(50));
    case 7: {  // next to a half gigabyte, where rounding turns
      const std::uint64_t halves = 1 + dice.Bits(20);
      return (halves << 29) + dice.Below(3) - 1;
    }
    case 8: {  // next to a half terabyte
      const std::uint64_t halves = 1 + dice.Bits(14);
      return (halves << 39) + dice.Below(3) - 1;
    }
    default: {
      const std::uint64_t significant = dice.Bits(53) | (std::uint64_t{1} << 52);
      return significant << dice.Below(12);
    }
  }
}

// A byte count text and the number it reads as: white space, then digits up to the first other
// character; no digits there read as 0, and more than 64 bits as the largest value.
struct CountText {
  Text text;
  std::uint64_t count;
};

CountText CountForm(Dice& dice) {
  const std::uint64_t n = RandomCount(dice);
  const std::wstring digits = std::to_wstring(n);
  const wchar_t* const spaces[] = {L" ", L"\t", L"   ", L"\r\n", L"\v\f ", L"\n\t"};
  const wchar_t* const tails[] = {L" bytes", L"abc", L".5", L" 12", L"-1", L"\r\n", L"%s", L"+7"};
  const wchar_t* const signs[] = {L"-", L"+"};
  const wchar_t* const words[] = {L"unknown", L"N/A", L"0x10", L"abc123", L"없음", L"e10"};
  const wchar_t* const blanks[] = {L"", L"   ", L"\t"};
  // Each draw in its own statement: the order in which operands are evaluated is unspecified.
  switch (dice.Below(15)) {
    case 0:
      return {{L"000" + digits, 0}, n};
    case 1:
      return {{dice.Pick(spaces) + digits, kSpacedCount}, n};
    case 2:
      return {{digits + dice.Pick(tails), kSpacedCount}, n};
    case 3:
      return {{dice.Pick(signs) + digits, kSignedCount}, 0};
    case 4: {
      std::wstring raw = dice.Pick(spaces);
      raw += dice.Pick(signs);
      return {{raw + digits, kSignedCount | kSpacedCount}, 0};
    }
    case 5: {
      std::wstring raw = dice.Pick(words);
      if (dice.Percent(50)) raw += digits;
      return {{raw, kLetterCount}, 0};
    }
    case 10:
      return {{dice.Pick(blanks), 0}, 0};
    case 6: {
      std::wstring huge(1, static_cast<wchar_t>(L'1' + dice.Below(9)));
      const std::uint32_t length = 20 + dice.Below(11);
      while (huge.size() < length) huge += static_cast<wchar_t>(L'0' + dice.Below(10));
      // Twenty digits from 2 on are all beyond 2^64 - 1 (20 digits, starting with 1).
      if (huge.size() == 20 && huge[0] == L'1') huge[0] = L'2';
      return {{huge, kHugeCount}, UINT64_MAX};
    }
    case 7:
      return {{L"18446744073709551616", kHugeCount}, UINT64_MAX};
    case 8: {
      std::wstring raw = digits;
      raw += L'\0';
      raw += L"999";
      return {{raw, kEmbeddedNul}, n};
    }
    case 9: {
      std::wstring raw(1, L'\0');
      raw += digits;
      return {{raw, kEmbeddedNul}, 0};
    }
    default:
      return {{digits, 0}, n};
  }
}

// Any value a byte-count property might come with.
ScriptedValue CountValue(Dice& dice) {
  const std::uint32_t roll = dice.Below(100);
  if (roll < 70 || roll >= 97) {
    const CountText form = CountForm(dice);
    ScriptedValue value = StringValue(form.text, form.count);
    if (roll >= 97) return ByReference(dice, std::move(value));
    return value;
  }
  if (roll < 78) {  // a number rather than its digits
    const std::uint64_t n = RandomCount(dice);
    VARIANT number;
    VariantInit(&number);
    if (n <= static_cast<std::uint64_t>(LONG_MAX) && dice.Percent(50)) {
      V_VT(&number) = VT_I4;
      V_I4(&number) = static_cast<LONG>(n);
    } else if (n <= static_cast<std::uint64_t>(LLONG_MAX) && dice.Percent(50)) {
      V_VT(&number) = VT_I8;
      V_I8(&number) = static_cast<LONGLONG>(n);
    } else {
      V_VT(&number) = VT_UI8;
      V_UI8(&number) = n;
    }
    return Valued(FakeValue::Variant(number), std::to_wstring(n), kInteger, n);
  }
  if (roll < 82) {
    ScriptedValue negative = IntegerValue(dice, true);
    negative.kinds |= kSignedCount;
    return negative;  // "-..." reads as 0
  }
  if (roll < 87) return NoValue(dice);
  return FailingGet(dice);
}

// Small whole numbers as WMI gives disk indexes and memory speeds, or anything odd.
ScriptedValue NumberValue(Dice& dice, const std::uint32_t (&usual)[4]) {
  if (dice.Percent(60)) {
    const std::uint32_t n = dice.Pick(usual);
    return Valued(FakeValue::Int(static_cast<LONG>(n)), std::to_wstring(n), kInteger);
  }
  return TextValue(dice);
}

ScriptedValue PropertyValue(Dice& dice, const std::wstring& name) {
  static const std::uint32_t kIndexes[4] = {0, 1, 2, 15};
  static const std::uint32_t kSpeeds[4] = {2133, 2400, 3200, 0};
  if (name == L"TotalPhysicalMemory" || name == L"Capacity" || name == L"Size") return CountValue(dice);
  if (name == L"Index") return NumberValue(dice, kIndexes);
  if (name == L"Speed") return NumberValue(dice, kSpeeds);
  return TextValue(dice);
}

// ---- Queries and the open -----------------------------------------------------------------

std::uint32_t ObjectCount(Dice& dice, MachineStatement statement) {
  switch (statement) {
    case kModulesStatement:
    case kDisksStatement:
      return dice.Percent(10) ? 5 + dice.Below(4) : dice.Below(5);
    case kSoundStatement:
      return dice.Below(4);
    case kOpticalStatement:
      return dice.Percent(50) ? 0 : 1 + dice.Below(2);
    default: {  // one object as a rule; sometimes none, sometimes several (first one counts)
      const std::uint32_t roll = dice.Below(10);
      return roll == 0 ? 0 : roll == 1 ? 2 + dice.Below(2) : 1;
    }
  }
}

ScriptedQuery RandomQuery(Dice& dice, MachineStatement statement) {
  ScriptedQuery query;
  const std::uint32_t objects = ObjectCount(dice, statement);
  for (std::uint32_t i = 0; i < objects; ++i) {
    ScriptedObject object;
    for (const std::wstring& name : StatementOf(statement).properties) {
      // A property the object lacks altogether: Get answers WBEM_E_NOT_FOUND.
      if (dice.Percent(4)) continue;
      object.emplace_back(name, PropertyValue(dice, name));
    }
    query.objects.push_back(std::move(object));
  }
  const std::uint32_t exec = dice.Below(100);
  if (exec < 4) {
    const HRESULT failures[] = {Wbem(WBEM_E_INVALID_QUERY), Wbem(WBEM_E_FAILED), Wbem(WBEM_E_ACCESS_DENIED),
                                E_OUTOFMEMORY};
    query.execQueryResult = dice.Pick(failures);
  } else if (exec < 6) {
    query.noEnumerator = true;
  } else if (exec < 8) {
    query.execQueryResult = Wbem(WBEM_S_FALSE);  // a success code other than S_OK
  }
  if (dice.Percent(8)) {
    // Calls past the last object answer the end, so a position beyond it changes nothing.
    query.failNextAt = static_cast<int>(dice.Below(objects + 2));
    // WBEM_S_TIMEDOUT is no failure but a time-out, which the pass's own tests script.
    const HRESULT failures[] = {Wbem(WBEM_E_FAILED), Wbem(WBEM_E_TRANSPORT_FAILURE), RPC_E_DISCONNECTED,
                                E_OUTOFMEMORY};
    query.nextFailure = dice.Pick(failures);
  }
  if (dice.Percent(4)) query.nullObjectAt = static_cast<int>(dice.Below(objects + 2));
  return query;
}

// A step result: mostly S_OK, now and then another success code, an accepted failure or a failure.
HRESULT StepResult(Dice& dice, std::uint32_t failPercent, HRESULT otherSuccess, HRESULT accepted,
                   std::initializer_list<HRESULT> failures) {
  const std::uint32_t roll = dice.Below(100);
  if (roll < failPercent) return failures.begin()[dice.Below(static_cast<std::uint32_t>(failures.size()))];
  if (roll < failPercent + 3 && accepted != S_OK) return accepted;
  if (roll < failPercent + 6) return otherSuccess;
  return S_OK;
}

FakeAdapter RandomAdapter(Dice& dice) {
  FakeAdapter adapter;
  const std::uint32_t roll = dice.Below(100);
  if (roll < 10) {
    adapter.description = std::wstring(100 + dice.Below(200), L'그');  // longer than the 128 units
  } else if (roll < 15) {
    adapter.description.clear();
  } else {
    adapter.description = OddText(dice).raw;
  }
  adapter.fillWholeDescription = dice.Percent(8);
  std::uint64_t memory = RandomCount(dice);
  if (sizeof(SIZE_T) < sizeof(std::uint64_t)) memory &= 0xFFFFFFFFu;
  adapter.dedicatedVideoMemory = static_cast<SIZE_T>(memory);
  if (dice.Percent(8)) {
    const HRESULT failures[] = {E_INVALIDARG, E_FAIL, DXGI_ERROR_DEVICE_REMOVED};
    adapter.getDescResult = dice.Pick(failures);
  }
  return adapter;
}

}  // namespace

const std::wstring& StatementText(MachineStatement statement) { return StatementOf(statement).text; }

const std::vector<std::wstring>& StatementProperties(MachineStatement statement) {
  return StatementOf(statement).properties;
}

const char* ValueKindName(unsigned kindBit) {
  static const char* const names[kValueKindCount] = {
      "failing Get",    "missing property", "null BSTR",      "empty text",        "VT_NULL",
      "VT_EMPTY",       "integer",          "negative",       "by reference",      "by-reference VARIANT",
      "embedded NUL",   "CR LF",            "64K text",       "% signs",           "the fallback word",
      "object",         "signed count",     "spaced count",   "count with letters", "count beyond 64 bits",
  };
  for (unsigned bit = 0; bit < kValueKindCount; ++bit) {
    if (kindBit == (1u << bit)) return names[bit];
  }
  return "?";
}

RandomMachine MakeRandomMachine(std::uint32_t seed) {
  Dice dice(seed);
  RandomMachine machine;
  machine.seed = seed;

  machine.coInitializeResult =
      StepResult(dice, 4, S_FALSE, RPC_E_CHANGED_MODE, {E_OUTOFMEMORY, E_INVALIDARG, E_UNEXPECTED});
  machine.coInitializeSecurityResult =
      StepResult(dice, 4, S_OK, RPC_E_TOO_LATE, {E_FAIL, E_ACCESSDENIED, E_OUTOFMEMORY});
  machine.coCreateInstanceResult =
      StepResult(dice, 3, S_FALSE, S_OK, {REGDB_E_CLASSNOTREG, E_NOINTERFACE, CO_E_NOTINITIALIZED});
  machine.giveLocator = !dice.Percent(2);
  machine.connectServerResult =
      StepResult(dice, 3, Wbem(WBEM_S_FALSE), S_OK,
                 {Wbem(WBEM_E_ACCESS_DENIED), Wbem(WBEM_E_INVALID_NAMESPACE), RPC_E_DISCONNECTED});
  machine.giveServices = !dice.Percent(2);
  machine.proxyBlanketResult = StepResult(dice, 3, S_FALSE, S_OK, {E_ACCESSDENIED, E_INVALIDARG, E_OUTOFMEMORY});

  for (std::size_t s = 0; s < kMachineStatementCount; ++s) {
    machine.queries[s] = RandomQuery(dice, static_cast<MachineStatement>(s));
  }

  const std::uint32_t factory = dice.Below(100);
  if (factory < 5) {
    const HRESULT failures[] = {DXGI_ERROR_UNSUPPORTED, E_FAIL, E_NOINTERFACE, E_OUTOFMEMORY};
    machine.createResult = dice.Pick(failures);
  } else if (factory < 8) {
    machine.giveFactory = false;
  } else if (factory < 10) {
    machine.createResult = S_FALSE;
  }
  const std::uint32_t adapters = dice.Percent(15) ? 0 : 1 + dice.Below(4);
  for (std::uint32_t i = 0; i < adapters; ++i) machine.adapters.push_back(RandomAdapter(dice));
  if (dice.Percent(15)) {
    machine.failEnumAt = static_cast<int>(dice.Below(adapters + 2));
    const HRESULT answers[] = {DXGI_ERROR_NOT_FOUND, DXGI_ERROR_INVALID_CALL, E_FAIL, DXGI_ERROR_DEVICE_REMOVED,
                               S_OK, S_FALSE};
    machine.enumFailure = dice.Pick(answers);
  }
  return machine;
}

void ScriptMachine(const RandomMachine& machine, FakeWmi& wmi, FakeDxgi& dxgi) {
  wmi.coInitializeResult = machine.coInitializeResult;
  wmi.coInitializeSecurityResult = machine.coInitializeSecurityResult;
  wmi.coCreateInstanceResult = machine.coCreateInstanceResult;
  wmi.connectServerResult = machine.connectServerResult;
  wmi.proxyBlanketResult = machine.proxyBlanketResult;
  wmi.giveLocator = machine.giveLocator;
  wmi.giveServices = machine.giveServices;

  for (std::size_t s = 0; s < kMachineStatementCount; ++s) {
    const ScriptedQuery& query = machine.queries[s];
    FakeQueryAnswer answer;
    answer.objects.reserve(query.objects.size());
    for (const ScriptedObject& object : query.objects) {
      FakeObject properties;
      properties.reserve(object.size());
      for (const auto& property : object) properties.emplace_back(property.first, property.second.value);
      answer.objects.push_back(std::move(properties));
    }
    answer.execQueryResult = query.execQueryResult;
    answer.noEnumerator = query.noEnumerator;
    answer.failNextAt = query.failNextAt;
    answer.nextFailure = query.nextFailure;
    answer.nullObjectAt = query.nullObjectAt;
    wmi.Answer(StatementText(static_cast<MachineStatement>(s)), std::move(answer));
  }

  dxgi.adapters = machine.adapters;
  dxgi.createResult = machine.createResult;
  dxgi.giveFactory = machine.giveFactory;
  dxgi.failEnumAt = machine.failEnumAt;
  dxgi.enumFailure = machine.enumFailure;
}

}  // namespace vantrel::testing
