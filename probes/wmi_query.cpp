// WQL queries over the open WMI connection, answered as one text, a name list or rows, and
// the conversion of a property value to text. Every failure ends in an empty or shorter answer.
#include "probes/wmi_query.h"

#include <wbemcli.h>

#include <utility>

#include "probes/com_ptr.h"
#include "probes/wmi_connection.h"

namespace vantrel {
namespace {

// The text of a BSTR up to its first NUL; a null BSTR is empty text.
std::wstring TextOf(BSTR text) { return text != nullptr ? std::wstring(text) : std::wstring(); }

// Runs the statement; null when there is no connection, the call failed or gave no enumerator.
ComPtr<IEnumWbemClassObject> StartQuery(const std::wstring& query) {
  ComPtr<IEnumWbemClassObject> enumerator;
  IWbemServices* services = WmiServices();
  if (services == nullptr) return enumerator;

  HRESULT executed;
  {
    const Bstr statement(query.c_str());
    const Bstr language(L"WQL");
    executed =
        services->ExecQuery(language.Get(), statement.Get(),
                            WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, nullptr, enumerator.Put());
  }
  enumerator.Receive(executed);
  return enumerator;
}

enum class Fetched { kObject, kEnd, kTimedOut };

// Gives back the object held, then fetches the next one into it, waiting no longer than the
// connection allows. The end when the objects are used up, when Next fails, or when it reports an
// object without giving one; a time-out when WMI did not answer within the wait.
Fetched FetchNext(IEnumWbemClassObject* enumerator, ComPtr<IWbemClassObject>& object) {
  ULONG returned = 0;
  const HRESULT fetched = enumerator->Next(WmiNextWait(), 1, object.Put(), &returned);
  // WBEM_S_FALSE and WBEM_S_TIMEDOUT are success codes, so only the count tells whether an object
  // came: a slot that the count leaves out was not handed over.
  if (returned != 1) object.Detach();
  if (object.Receive(fetched)) return Fetched::kObject;
  return fetched == WBEM_S_TIMEDOUT ? Fetched::kTimedOut : Fetched::kEnd;
}

// Runs the statement and hands each object to `read` until it returns false or the objects end.
// A statement that WMI did not answer in time is noted on the connection; what was read stays.
template <class Read>
void ForEachObject(const std::wstring& query, Read read) {
  const ComPtr<IEnumWbemClassObject> enumerator = StartQuery(query);
  if (!enumerator) return;
  ComPtr<IWbemClassObject> object;
  Fetched fetched;
  while ((fetched = FetchNext(enumerator.Get(), object)) == Fetched::kObject) {
    if (!read(object.Get())) return;
  }
  if (fetched == Fetched::kTimedOut) NoteWmiTimeOut(query);
}

// Reads one property as text; false when Get fails.
bool ReadProperty(IWbemClassObject* object, const std::wstring& name, std::wstring& text) {
  Variant value;
  if (!value.Receive(object->Get(name.c_str(), 0, value.Put(), nullptr, nullptr))) return false;
  text = VariantToText(value.Ref());
  return true;
}

}  // namespace

std::wstring QuerySingleValue(const std::wstring& query, const std::wstring& property) {
  std::wstring result;
  // Only the first object decides; the rest are never fetched.
  ForEachObject(query, [&](IWbemClassObject* object) {
    std::wstring text;
    if (ReadProperty(object, property, text)) result = std::move(text);
    return false;
  });
  return result;
}

std::vector<std::wstring> QueryNameList(const std::wstring& query) {
  std::vector<std::wstring> names;
  ForEachObject(query, [&](IWbemClassObject* object) {
    std::wstring name;
    if (ReadProperty(object, L"Name", name) && !name.empty()) names.push_back(std::move(name));
    return true;
  });
  return names;
}

std::vector<PropertyRow> QueryRows(const std::wstring& query, const std::vector<std::wstring>& names) {
  std::vector<PropertyRow> rows;
  ForEachObject(query, [&](IWbemClassObject* object) {
    PropertyRow row;
    for (const std::wstring& name : names) {
      // Every requested name gets a key, so a caller's lookup never misses; a later read of
      // a repeated name replaces the earlier one.
      std::wstring text;
      ReadProperty(object, name, text);  // stays empty when Get fails
      row[name] = std::move(text);
    }
    rows.push_back(std::move(row));
    return true;
  });
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
