// The three shapes of WQL query over the open WMI connection, and property values as text.
// Every failure ends in empty text or a shorter list; a statement that failed (ExecQuery, Next) or
// got no answer in time is noted on the connection (WmiTroubles), for the caller to say so.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <map>
#include <string>
#include <vector>

namespace vantrel {

// One result object: property name to value text, ordered by code unit.
using PropertyRow = std::map<std::wstring, std::wstring>;

// The named property of the first result object; empty when there is none.
std::wstring QuerySingleValue(const std::wstring& query, const std::wstring& property);

// The non-empty "Name" of every result object, in delivery order.
std::vector<std::wstring> QueryNameList(const std::wstring& query);

// One row per result object, each holding every requested name (empty text where no value came).
std::vector<PropertyRow> QueryRows(const std::wstring& query, const std::vector<std::wstring>& names);

// A property value as text: strings up to their first NUL, VT_EMPTY and VT_NULL as empty
// text, other types through the platform's conversion (empty text where it fails).
std::wstring VariantToText(const VARIANT& value);

}  // namespace vantrel
