#include "support/raw_wmi.h"

#include <windows.h>
#include <wbemcli.h>

#include "probes/com_ptr.h"
#include "probes/wmi_connection.h"

namespace vantrel::testing {

std::vector<std::wstring> RawStrings(const WmiConnection& wmi, const std::wstring& statement, const wchar_t* property) {
  std::vector<std::wstring> values;
  Bstr language(L"WQL");
  Bstr query(statement.c_str());
  ComPtr<IEnumWbemClassObject> results;
  const LONG flags = WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY;
  IWbemServices* services = wmi.Services();
  if (services == nullptr || FAILED(services->ExecQuery(language.Get(), query.Get(), flags, nullptr, results.Put())))
    return {L"<ExecQuery failed>"};
  for (;;) {
    ComPtr<IWbemClassObject> object;
    ULONG returned = 0;
    // A minute is more than a first query after boot needs; a stuck provider ends the list.
    if (FAILED(results->Next(60000, 1, object.Put(), &returned)) || returned == 0) break;
    Variant value;
    if (FAILED(object->Get(property, 0, value.Put(), nullptr, nullptr)) || V_VT(value.Get()) != VT_BSTR) {
      values.push_back(L"<type " + std::to_wstring(V_VT(value.Get())) + L">");
    } else {
      values.push_back(V_BSTR(value.Get()));
    }
  }
  return values;
}

std::vector<std::wstring> RawNames(const WmiConnection& wmi, const std::wstring& statement) {
  std::vector<std::wstring> names;
  for (const std::wstring& name : RawStrings(wmi, statement, L"Name"))
    if (!name.empty() && name.find(L"<type ") != 0) names.push_back(name);
  return names;
}

}  // namespace vantrel::testing
