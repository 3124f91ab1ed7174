// Property values as text, through the platform's real OLE Automation conversions.
#include <gtest/gtest.h>

#include <string>

#include "probes/com_ptr.h"
#include "probes/wmi_query.h"

namespace vantrel {
namespace {

// A plain object reference (no IDispatch), which no conversion can turn into text; it counts
// references so a test can see that the conversion gave back what it took.
class CountingUnknown final : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown)) {
      *out = static_cast<IUnknown*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--references); }

  LONG references = 1;
};

// A BSTR that keeps every code unit it is given, embedded NULs included.
BSTR CountedBstr(const std::wstring& text) {
  return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

// The text of a string value holding text (which the value then owns).
std::wstring TextOfString(BSTR text) {
  Variant value;
  V_VT(value.Get()) = VT_BSTR;
  V_BSTR(value.Get()) = text;
  return VariantToText(value.Ref());
}

// The text of a value that fill gives its type and contents.
template <class Fill>
std::wstring TextOfValue(Fill fill) {
  Variant value;
  fill(*value.Get());
  return VariantToText(value.Ref());
}

TEST(VariantToText, StringsAreTakenUpToTheirFirstNul) {
  EXPECT_EQ(TextOfString(SysAllocString(L"Intel(R) Core(TM) i7")), L"Intel(R) Core(TM) i7");
  EXPECT_EQ(TextOfString(SysAllocString(L"\uC0BC\uC131 SSD")), L"\uC0BC\uC131 SSD");
  EXPECT_EQ(TextOfString(CountedBstr(std::wstring(L"before\0after", 12))), L"before");
  EXPECT_EQ(TextOfString(CountedBstr(std::wstring(L"\0x", 2))), L"");
  EXPECT_EQ(TextOfString(SysAllocString(L"")), L"");
  EXPECT_EQ(TextOfString(nullptr), L"");
}

TEST(VariantToText, EmptyAndNullAreEmptyText) {
  Variant empty;
  EXPECT_EQ(VariantToText(empty.Ref()), L"");
  Variant null;
  V_VT(null.Get()) = VT_NULL;
  EXPECT_EQ(VariantToText(null.Ref()), L"");
}

TEST(VariantToText, IntegersArePlainDecimalDigits) {
  EXPECT_EQ(TextOfValue([](VARIANT& v) { V_VT(&v) = VT_I4; V_I4(&v) = 3200; }), L"3200");
  EXPECT_EQ(TextOfValue([](VARIANT& v) { V_VT(&v) = VT_I4; V_I4(&v) = -5; }), L"-5");
  // No digit grouping, whatever the locale.
  EXPECT_EQ(TextOfValue([](VARIANT& v) { V_VT(&v) = VT_I4; V_I4(&v) = 2147483647; }), L"2147483647");
  EXPECT_EQ(TextOfValue([](VARIANT& v) { V_VT(&v) = VT_I4; V_I4(&v) = -2147483647 - 1; }), L"-2147483648");
  EXPECT_EQ(TextOfValue([](VARIANT& v) { V_VT(&v) = VT_UI8; V_UI8(&v) = 18446744073709551615ull; }),
            L"18446744073709551615");
  EXPECT_EQ(TextOfValue([](VARIANT& v) { V_VT(&v) = VT_UI1; V_UI1(&v) = 255; }), L"255");
  EXPECT_EQ(TextOfValue([](VARIANT& v) { V_VT(&v) = VT_UI4; V_UI4(&v) = 0; }), L"0");
}

TEST(VariantToText, ABooleanBecomesNonEmptyText) {
  // Its wording follows the platform's locale; only that some text comes is certain.
  EXPECT_FALSE(TextOfValue([](VARIANT& v) { V_VT(&v) = VT_BOOL; V_BOOL(&v) = VARIANT_TRUE; }).empty());
}

TEST(VariantToText, ByReferenceValuesAreReadThroughAndLeftAlone) {
  BSTR referenced = CountedBstr(std::wstring(L"SAMSUNG\0tail", 12));
  VARIANT byRefString;
  VariantInit(&byRefString);
  V_VT(&byRefString) = VT_BYREF | VT_BSTR;
  V_BSTRREF(&byRefString) = &referenced;
  EXPECT_EQ(VariantToText(byRefString), L"SAMSUNG");
  EXPECT_EQ(V_VT(&byRefString), VT_BYREF | VT_BSTR);
  EXPECT_EQ(V_BSTRREF(&byRefString), &referenced);
  EXPECT_EQ(SysStringLen(referenced), 12u);
  SysFreeString(referenced);

  BSTR nothing = nullptr;
  VARIANT byRefNull;
  VariantInit(&byRefNull);
  V_VT(&byRefNull) = VT_BYREF | VT_BSTR;
  V_BSTRREF(&byRefNull) = &nothing;
  EXPECT_EQ(VariantToText(byRefNull), L"");
  EXPECT_EQ(nothing, nullptr);

  LONG number = 3200;
  VARIANT byRefNumber;
  VariantInit(&byRefNumber);
  V_VT(&byRefNumber) = VT_BYREF | VT_I4;
  V_I4REF(&byRefNumber) = &number;
  EXPECT_EQ(VariantToText(byRefNumber), L"3200");
  EXPECT_EQ(V_VT(&byRefNumber), VT_BYREF | VT_I4);
  EXPECT_EQ(V_I4REF(&byRefNumber), &number);
  EXPECT_EQ(number, 3200);

  // A reference to a variant is followed to what that variant holds.
  Variant inner;
  V_VT(inner.Get()) = VT_I4;
  V_I4(inner.Get()) = -7;
  VARIANT byRefVariant;
  VariantInit(&byRefVariant);
  V_VT(&byRefVariant) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(&byRefVariant) = inner.Get();
  EXPECT_EQ(VariantToText(byRefVariant), L"-7");
  EXPECT_EQ(V_VT(inner.Get()), VT_I4);
}

TEST(VariantToText, AnArrayCannotBeConvertedAndGivesEmptyText) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 0, 2);
  ASSERT_NE(array, nullptr);
  LONG* elements = nullptr;
  ASSERT_TRUE(SUCCEEDED(SafeArrayAccessData(array, reinterpret_cast<void**>(&elements))));
  elements[0] = 1;
  elements[1] = 2;
  SafeArrayUnaccessData(array);

  Variant value;
  V_VT(value.Get()) = VT_ARRAY | VT_I4;
  V_ARRAY(value.Get()) = array;  // the Variant owns and destroys it
  EXPECT_EQ(VariantToText(value.Ref()), L"");
  EXPECT_EQ(V_VT(value.Get()), VT_ARRAY | VT_I4);
  EXPECT_EQ(V_ARRAY(value.Get()), array);
}

TEST(VariantToText, AnObjectReferenceGivesEmptyTextAndIsGivenBack) {
  CountingUnknown object;
  VARIANT value;
  VariantInit(&value);
  V_VT(&value) = VT_UNKNOWN;
  V_UNKNOWN(&value) = &object;
  EXPECT_EQ(VariantToText(value), L"");
  EXPECT_EQ(object.references, 1) << "the conversion's own copy was not released";
  EXPECT_EQ(V_VT(&value), VT_UNKNOWN);
  EXPECT_EQ(V_UNKNOWN(&value), &object);
}

TEST(VariantHolder, PutGivesBackWhatItHeldSoAReusedHolderCannotLeak) {
  CountingUnknown object;
  Variant holder;
  V_VT(holder.Get()) = VT_UNKNOWN;
  V_UNKNOWN(holder.Get()) = &object;
  object.AddRef();  // the holder's own reference
  EXPECT_EQ(V_VT(holder.Put()), VT_EMPTY);
  EXPECT_EQ(object.references, 1);
}

TEST(VariantToText, AValueOfNoConvertibleKindGivesEmptyText) {
  // An error code has no text form: the conversion fails.
  EXPECT_EQ(TextOfValue([](VARIANT& v) { V_VT(&v) = VT_ERROR; V_ERROR(&v) = DISP_E_PARAMNOTFOUND; }), L"");
}

}  // namespace
}  // namespace vantrel
