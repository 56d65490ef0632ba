// Text across the WMI boundary: narrow strings in the ANSI code page inside the provider,
// wide BSTRs in WMI.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win_resource.h"

namespace norv {

// Length argument of ToBstr that stands for "up to and including the terminating zero".
inline constexpr int kUpToTerminator = -1;

// A new BSTR of the narrow text converted in the conversion code page. With kUpToTerminator
// the terminator is converted but not counted in the BSTR's length. Null for null text, for
// a length of 0, when memory runs out, or when nothing converts (a long text is measured
// first and then converted: null also when the two passes disagree).
win::UniqueBstr ToBstr(const char* text, int length);

// The text converted in the system ANSI code page (CP_ACP), up to its terminator; empty for
// null text or when nothing converts.
std::string ToNarrowString(const wchar_t* text);

// The code page ToBstr converts with: the thread's ANSI code page on NT 5 and later; on
// older systems the default ANSI code page of the thread's locale, or the system one when
// the locale names none.
UINT ConversionCodePage();

// The rule of ConversionCodePage for a given system version and thread locale.
UINT ConversionCodePageFor(const OSVERSIONINFOA& version, LCID threadLocale);

}  // namespace norv
