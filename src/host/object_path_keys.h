// Object paths of lookups, read through WMI's object-path parser: whether a path names an
// instance of the served class, and the string keys it gives.
#pragma once

#include <windows.h>

#include <unknwn.h>

#include <span>
#include <string>
#include <string_view>

#include "platform/wmi_utility_interfaces.h"

namespace norv::win {

// The kinds of path a lookup accepts: an instance reference or a compound-key path.
inline constexpr ULONGLONG kInstancePathKinds =
    WBEMPATH_INFO_IS_INST_REF | WBEMPATH_INFO_IS_COMPOUND;

// S_OK when the path parses, names `expectedClass` (in any letter case) and is of one of
// `requiredKinds`. WBEM_E_INVALID_PARAMETER without a factory, a parser or a path;
// WBEM_E_FAILED for another class or another kind; the parser's own failure otherwise.
HRESULT ValidateObjectPath(IClassFactory* pathParserFactory, const wchar_t* path,
                           std::wstring_view expectedClass, ULONGLONG requiredKinds) noexcept;

// Reads the string keys of the path: a key whose name matches keyNames[i] in any letter case
// puts its value, as narrow text, into wanted[i] (a key given twice keeps the last value);
// other keys and keys of other CIM types are ignored, and wanted values no key names are
// left as they are. WBEM_E_FAILED without a parser, WBEM_E_OUT_OF_MEMORY when the name
// buffer cannot be had, else the parser's failure or S_OK. Throws std::bad_alloc when the
// text of a value cannot be had.
HRESULT ReadPathKeys(IClassFactory* pathParserFactory, const wchar_t* path,
                     std::span<const wchar_t* const> keyNames, std::span<std::string> wanted);

// The class a path names, as the path spells it. Failures as ValidateObjectPath's.
HRESULT ReadPathClassName(IClassFactory* pathParserFactory, const wchar_t* path,
                          std::wstring& className);

// The path a reference property holds, rewritten as ReferencePath writes it (the class and
// every string key, in key-name order, whatever server or namespace it names), so that two
// spellings of one instance's path compare with SameReferencePath. Failures as ReadPathKeys's.
HRESULT ReadReferencePath(IClassFactory* pathParserFactory, const wchar_t* path,
                          std::string& canonical);

}  // namespace norv::win
