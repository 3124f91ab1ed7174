// WQL queries over the open WMI connection, answered as one text, a name list or rows, and
// the conversion of a property value to text. Every failure ends in an empty or shorter answer; a
// statement that failed or got no answer in time is noted on the connection.
#include "probes/wmi_query.h"

#include <wbemcli.h>

#include <utility>

#include "probes/com_entry_points.h"
#include "probes/com_ptr.h"
#include "probes/wmi_connection.h"

namespace vantrel {
namespace {

// The text of a BSTR up to its first NUL; a null BSTR is empty text.
std::wstring TextOf(BSTR text) { return text != nullptr ? std::wstring(text) : std::wstring(); }

// Runs the statement; null when there is no connection (with `failure` left as it was), or when the
// call failed or gave no enumerator (its code, or E_POINTER, in `failure`).
ComPtr<IEnumWbemClassObject> StartQuery(const WmiConnection& wmi, const std::wstring& query, HRESULT& failure) {
  ComPtr<IEnumWbemClassObject> enumerator;
  // A reference of the query's own, so that the services outlive the call whatever happens to the
  // connection meanwhile.
  const ComPtr<IWbemServices> services = ComPtr<IWbemServices>::Share(wmi.Services());
  if (!services) return enumerator;

  HRESULT executed;
  {
    const Bstr statement(query.c_str());
    const Bstr language(L"WQL");
    executed =
        services->ExecQuery(language.Get(), statement.Get(),
                            WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, nullptr, enumerator.Put());
  }
  // A success that hands over no enumerator is a failure too, as in the open.
  failure = enumerator.Receive(executed) || FAILED(executed) ? executed : E_POINTER;
  return enumerator;
}

enum class Fetched { kObject, kEnd, kTimedOut, kFailed };

// Gives back the object held, then fetches the next one into it, waiting at most `wait` ms. The
// end when the objects are used up or Next reports an object without giving one; a time-out when
// WMI did not answer within the wait; a failure (its code in `code`) when Next failed.
Fetched FetchNext(IEnumWbemClassObject* enumerator, LONG wait, ComPtr<IWbemClassObject>& object, HRESULT& code) {
  ULONG returned = 0;
  code = enumerator->Next(wait, 1, object.Put(), &returned);
  // WBEM_S_FALSE and WBEM_S_TIMEDOUT are success codes, so only the count tells whether an object
  // came: a slot that the count leaves out was not handed over.
  if (returned != 1) object.Detach();
  if (object.Receive(code)) return Fetched::kObject;
  if (FAILED(code)) return Fetched::kFailed;
  return code == WBEM_S_TIMEDOUT ? Fetched::kTimedOut : Fetched::kEnd;
}

// The longest single wait. A wait that ends without an answer is followed by another Next on the
// same enumerator, so a slow provider keeps its place; the statement is given up only once its
// patience since the last object is spent.
constexpr ULONGLONG kWaitSlice = 5000;

// Runs the statement and hands each object to `read` until it returns false or the objects end.
// A statement that failed, or got no new object within its patience, is noted on the connection;
// what was read stays.
template <class Read>
void ForEachObject(WmiConnection& wmi, const std::wstring& query, Read read) {
  const ULONGLONG patience = wmi.StartStatement();
  HRESULT code = S_OK;
  const ComPtr<IEnumWbemClassObject> enumerator = StartQuery(wmi, query, code);
  if (!enumerator) {
    if (FAILED(code)) wmi.NoteTrouble(query, code);
    return;
  }
  const ComEntryPoints& com = ComApi();
  ULONGLONG lastObjectAt = com.getTickCount64();
  ComPtr<IWbemClassObject> object;
  for (;;) {
    const ULONGLONG waited = com.getTickCount64() - lastObjectAt;
    if (waited >= patience) return wmi.NoteTrouble(query, WBEM_S_TIMEDOUT);
    const ULONGLONG left = patience - waited;
    switch (FetchNext(enumerator.Get(), static_cast<LONG>(left < kWaitSlice ? left : kWaitSlice), object, code)) {
      case Fetched::kObject:
        if (!read(object.Get())) return;
        lastObjectAt = com.getTickCount64();
        break;
      case Fetched::kTimedOut:
        break;
      case Fetched::kFailed:
        return wmi.NoteTrouble(query, code);
      case Fetched::kEnd:
        return;
    }
  }
}

// Reads one property as text; false when Get fails.
bool ReadProperty(IWbemClassObject* object, const std::wstring& name, std::wstring& text) {
  Variant value;
  if (!value.Receive(object->Get(name.c_str(), 0, value.Put(), nullptr, nullptr))) return false;
  text = VariantToText(value.Ref());
  return true;
}

}  // namespace

std::wstring QuerySingleValue(WmiConnection& wmi, const std::wstring& query, const std::wstring& property) {
  std::wstring result;
  // Only the first object decides; the rest are never fetched.
  ForEachObject(wmi, query, [&](IWbemClassObject* object) {
    std::wstring text;
    if (ReadProperty(object, property, text)) result = std::move(text);
    return false;
  });
  return result;
}

void ForEachName(WmiConnection& wmi, const std::wstring& query, const std::function<void(std::wstring)>& take) {
  ForEachObject(wmi, query, [&](IWbemClassObject* object) {
    std::wstring name;
    if (ReadProperty(object, L"Name", name) && !name.empty()) take(std::move(name));
    return true;
  });
}

std::vector<std::wstring> QueryNameList(WmiConnection& wmi, const std::wstring& query) {
  std::vector<std::wstring> names;
  ForEachName(wmi, query, [&](std::wstring name) { names.push_back(std::move(name)); });
  return names;
}

void ForEachRow(WmiConnection& wmi, const std::wstring& query, const std::vector<std::wstring>& names,
                const std::function<void(PropertyRow)>& take) {
  ForEachObject(wmi, query, [&](IWbemClassObject* object) {
    PropertyRow row;
    for (const std::wstring& name : names) {
      // Every requested name gets a key, so a caller's lookup never misses; a later read of
      // a repeated name replaces the earlier one.
      std::wstring text;
      ReadProperty(object, name, text);  // stays empty when Get fails
      row[name] = std::move(text);
    }
    take(std::move(row));
    return true;
  });
}

std::vector<PropertyRow> QueryRows(WmiConnection& wmi, const std::wstring& query, const std::vector<std::wstring>& names) {
  std::vector<PropertyRow> rows;
  ForEachRow(wmi, query, names, [&](PropertyRow row) { rows.push_back(std::move(row)); });
  return rows;
}

std::wstring VariantToText(const VARIANT& value) {
  const VARTYPE type = V_VT(&value);
  if (type == VT_BSTR) return TextOf(V_BSTR(&value));
  if (type == VT_EMPTY || type == VT_NULL) return std::wstring();

  // A private copy with any reference resolved, so the caller's value is never touched.
  Variant copy;
  if (!copy.Receive(VariantCopyInd(copy.Put(), const_cast<VARIANT*>(&value)))) return std::wstring();
  if (V_VT(copy.Get()) == VT_BSTR) return TextOf(V_BSTR(copy.Get()));

  Variant converted;
  if (!converted.Receive(VariantChangeType(converted.Put(), copy.Get(), 0, VT_BSTR))) return std::wstring();
  return TextOf(V_BSTR(converted.Get()));
}

}  // namespace vantrel
