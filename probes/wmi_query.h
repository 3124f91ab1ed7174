// The three shapes of WQL query over an open WMI connection, and property values as text.
// Every failure ends in empty text or a shorter list; a statement that failed (ExecQuery, Next) or
// got no answer in time is noted on the connection (Troubles), for the caller to say so.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "probes/wmi_connection.h"

namespace vantrel {

// One result object: property name to value text, ordered by code unit.
using PropertyRow = std::map<std::wstring, std::wstring>;

// The named property of the first result object; empty when there is none.
std::wstring QuerySingleValue(WmiConnection& wmi, const std::wstring& query, const std::wstring& property);

// The non-empty "Name" of every result object, in delivery order.
std::vector<std::wstring> QueryNameList(WmiConnection& wmi, const std::wstring& query);
// The same, each name handed on as it arrives, so that what came stays when a later one does not.
void ForEachName(WmiConnection& wmi, const std::wstring& query, const std::function<void(std::wstring)>& take);

// One row per result object, each holding every requested name (empty text where no value came).
std::vector<PropertyRow> QueryRows(WmiConnection& wmi, const std::wstring& query, const std::vector<std::wstring>& names);
// The same, each row handed on as it arrives.
void ForEachRow(WmiConnection& wmi, const std::wstring& query, const std::vector<std::wstring>& names,
                const std::function<void(PropertyRow)>& take);

// A property value as text: strings up to their first NUL, VT_EMPTY and VT_NULL as empty
// text, other types through the platform's conversion (empty text where it fails).
std::wstring VariantToText(const VARIANT& value);

}  // namespace vantrel
