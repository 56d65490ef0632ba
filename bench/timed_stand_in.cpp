#include "timed_stand_in.h"

#include <cwchar>
#include <utility>
#include <variant>

#include "com/admin_locator.h"
#include "com/wbem_status_names.h"
#include "com/wide_text.h"
#include "full_log_events.h"
#include "platform/win_resource.h"
#include "repository/name_compare.h"

namespace norv::bench {

CountingClassSource::CountingClassSource(std::shared_ptr<const norvwmi::ClassSource> inner)
    : inner_(std::move(inner)) {}

std::optional<std::string> CountingClassSource::FindNamespace(std::string_view nameSpace) const {
    return inner_->FindNamespace(nameSpace);
}

const norvwmi::ClassDefinition* CountingClassSource::FindClass(std::string_view nameSpace,
                                                               std::string_view className) const {
    return inner_->FindClass(nameSpace, className);
}

std::vector<const norvwmi::InstanceDefinition*> CountingClassSource::Instances(
    std::string_view nameSpace, std::string_view className) const {
    if (!norvwmi::SameName(nameSpace, norvwmi::kServedNamespace)) {
        const std::lock_guard<std::mutex> hold(mutex_);
        ++counts_[std::string(className)];
    }
    return inner_->Instances(nameSpace, className);
}

QueryCounts CountingClassSource::Counts() const {
    const std::lock_guard<std::mutex> hold(mutex_);
    return counts_;
}

std::uint64_t CountingClassSource::PlatformReads() const {
    const std::lock_guard<std::mutex> hold(mutex_);
    std::uint64_t total = 0;
    for (const auto& [className, count] : counts_) total += count;
    return total;
}

Stopwatch::Stopwatch() {
    ::QueryPerformanceFrequency(&frequency_);
    ::QueryPerformanceCounter(&start_);
}

void Stopwatch::Restart() {
    ::QueryPerformanceCounter(&start_);
}

// Split so that ticks times 10^9 cannot overflow.
std::uint64_t Stopwatch::Nanoseconds() const {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    const auto ticks = static_cast<std::uint64_t>(now.QuadPart - start_.QuadPart);
    const auto perSecond = static_cast<std::uint64_t>(frequency_.QuadPart);
    return ticks / perSecond * 1000000000u + ticks % perSecond * 1000000000u / perSecond;
}

std::string StatusText(HRESULT status) {
    return norvwmi::DescribeStatus(static_cast<std::uint32_t>(status));
}

TimerArguments SplitArguments(int argc, wchar_t** argv) {
    TimerArguments arguments;
    for (int i = 1; i < argc; ++i) {
        const std::wstring argument = argv[i];
        if (argument == L"--full-log") {
            arguments.fullLog = true;
        } else if ((argument == L"--platform" || argument == L"--module") && i + 1 < argc) {
            (argument == L"--platform" ? arguments.platformFile : arguments.moduleFile) = argv[++i];
        } else {
            arguments.operands.push_back(argument);
        }
    }
    return arguments;
}

std::optional<unsigned> ParseCount(const std::wstring& text, unsigned long most) {
    wchar_t* end = nullptr;
    const unsigned long value = std::wcstoul(text.c_str(), &end, 10);
    if (end == text.c_str() || *end != L'\0' || value > most) return std::nullopt;
    return static_cast<unsigned>(value);
}

std::optional<std::string> RequestFailure(const norvwmi::ProviderRequest& request,
                                          const norvwmi::ProviderOutcome& outcome) {
    if (outcome.status == WBEM_S_NO_ERROR && outcome.problems.empty()) return std::nullopt;
    std::string message =
        (request.operation == norvwmi::ProviderOperation::Get ? "get " : "enum ") + request.target +
        ": " + StatusText(outcome.status);
    if (!outcome.step.empty()) message += " from " + outcome.step;
    for (const std::string& problem : outcome.problems) message += "; " + problem;
    return message;
}

namespace {

std::optional<std::string> ReadWholeFile(const std::wstring& path) {
    norv::win::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    std::string text;
    char buffer[16384];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) return std::nullopt;
        if (read == 0) return text;
        text.append(buffer, read);
    }
}

}  // namespace

std::optional<std::string> TimedStandIn::Open(const TimerArguments& arguments) {
    if (FAILED(apartment_.Status()))
        return "cannot initialise COM: " + StatusText(apartment_.Status());

    norvwmi::MofFile description = norvwmi::DefaultPlatformDescription();
    if (arguments.fullLog) {
        auto full = FullLogDescription();
        if (const auto* error = std::get_if<std::string>(&full)) return "no full log: " + *error;
        description = std::get<norvwmi::MofFile>(std::move(full));
    } else if (arguments.platformFile) {
        std::optional<std::string> text = ReadWholeFile(*arguments.platformFile);
        if (!text) return "cannot read " + norvwmi::WideToUtf8(*arguments.platformFile);
        description = norvwmi::MofFile{norvwmi::WideToUtf8(*arguments.platformFile), *text};
    }
    auto loaded = norvwmi::LoadPlatform(description, norvwmi::ComputerName());
    if (const auto* error = std::get_if<norvwmi::MofError>(&loaded))
        return norvwmi::FormatMofError(*error);
    platform_ = std::get<norvwmi::Platform>(std::move(loaded));

    counter_ = std::make_shared<CountingClassSource>(platform_.classes);
    // A namespace set of its own over the counting source; the description's stall
    // directives are not carried over, as a timed request must not stall.
    auto served =
        std::make_shared<norvwmi::ServedNamespaces>(counter_, platform_.served->ServerName());

    parsers_ = norvwmi::RegisterWmiUtilityParsers();
    if (FAILED(parsers_.Status()))
        return "cannot register the WMI utility parsers: " + StatusText(parsers_.Status());
    const HRESULT registered = norvwmi::RegisterAdminLocator(served, locator_);
    if (FAILED(registered))
        return "cannot register the administrative locator: " + StatusText(registered);

    const HRESULT moduleLoaded =
        module_.Load(arguments.moduleFile.value_or(norvwmi::DefaultProviderModulePath()));
    if (FAILED(moduleLoaded))
        return "cannot load " + norvwmi::WideToUtf8(module_.Path()) + ": " +
               StatusText(moduleLoaded);

    host_.served = std::move(served);
    host_.nameSpace = std::string(norvwmi::kServedNamespace);
    host_.clientLevel = norvwmi::ClientLevel::Impersonate;
    return std::nullopt;
}

std::vector<std::string> TimedStandIn::ServedClasses() const {
    std::vector<std::string> names;
    for (const norvwmi::ClassDefinition* definition :
         platform_.classes->Declared().Classes(norvwmi::kServedNamespace))
        names.push_back(definition->name);
    return names;
}

}  // namespace norv::bench
