#include "platform/text_conversion.h"

#include <array>
#include <charconv>
#include <optional>

namespace norv {
namespace {

// The first system version whose conversions can follow the thread's own locale.
constexpr DWORD kFirstThreadCodePageMajorVersion = 5;

// Wide characters ToBstr converts into without measuring first.
constexpr std::size_t kShortTextCapacity = 256;

UINT LocaleDefaultAnsiCodePage(LCID locale) {
    char digits[8] = {};
    const int written = GetLocaleInfoA(locale, LOCALE_IDEFAULTANSICODEPAGE, digits, sizeof digits);
    if (written <= 1) return 0;
    UINT codePage = 0;
    const char* const end = digits + written - 1;  // without the terminator
    const auto [stop, error] = std::from_chars(digits, end, codePage);
    return error == std::errc{} ? codePage : 0;
}

}  // namespace

UINT ConversionCodePageFor(const OSVERSIONINFOA& version, LCID threadLocale) {
    if (version.dwPlatformId == VER_PLATFORM_WIN32_NT &&
        version.dwMajorVersion >= kFirstThreadCodePageMajorVersion) {
        return CP_THREAD_ACP;
    }
    const UINT localeCodePage = LocaleDefaultAnsiCodePage(threadLocale);
    return localeCodePage != 0 ? localeCodePage : CP_ACP;
}

UINT ConversionCodePage() {
    // The system's version stays what it is while the module is loaded; the thread's locale
    // does not, so only the version is read once.
    static const std::optional<OSVERSIONINFOA> system = [] {
        OSVERSIONINFOA version = {};
        version.dwOSVersionInfoSize = sizeof version;
        return GetVersionExA(&version) ? std::optional(version) : std::nullopt;
    }();
    if (!system) return CP_ACP;
    return ConversionCodePageFor(*system, GetThreadLocale());
}

win::UniqueBstr ToBstr(const char* text, int length) {
    if (text == nullptr || length == 0) return {};
    const UINT codePage = ConversionCodePage();
    // A provider's texts are short: converted once into this buffer, they need no pass that
    // only measures. A longer text, or one that fails here, takes the two passes below.
    std::array<wchar_t, kShortTextCapacity> shortText;
    const int shortLength = MultiByteToWideChar(codePage, 0, text, length, shortText.data(),
                                                static_cast<int>(shortText.size()));
    if (shortLength > 0) {
        const int bstrLength = length == kUpToTerminator ? shortLength - 1 : shortLength;
        return win::UniqueBstr(SysAllocStringLen(shortText.data(), static_cast<UINT>(bstrLength)));
    }
    const int convertedLength = MultiByteToWideChar(codePage, 0, text, length, nullptr, 0);
    if (convertedLength <= 0) return {};
    // SysAllocStringLen adds the terminator itself: a converted terminator is not counted.
    const int bstrLength = length == kUpToTerminator ? convertedLength - 1 : convertedLength;
    win::UniqueBstr result(SysAllocStringLen(nullptr, static_cast<UINT>(bstrLength)));
    if (!result) return {};
    const int secondPass =
        MultiByteToWideChar(codePage, 0, text, length, result.get(), convertedLength);
    if (secondPass != convertedLength) return {};
    return result;
}

std::string ToNarrowString(const wchar_t* text) {
    if (text == nullptr) return {};
    const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    std::string result(static_cast<std::size_t>(size), '\0');
    const int written =
        WideCharToMultiByte(CP_ACP, 0, text, -1, result.data(), size, nullptr, nullptr);
    if (written <= 0) return {};
    result.resize(static_cast<std::size_t>(written) - 1);  // the terminator
    return result;
}

}  // namespace norv
