#include "program/run_command.h"

#include <windows.h>

#include <objbase.h>

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <cstdio>
#include <string>
#include <vector>

#include "com/admin_locator.h"
#include "com/call_context.h"
#include "com/class_object.h"
#include "com/com_apartment.h"
#include "com/utility_parsers.h"
#include "com/wbem_hresult.h"
#include "com/wbem_status_names.h"
#include "com/wide_text.h"
#include "program/association_tree.h"
#include "program/event_line.h"
#include "program/health_summary.h"
#include "program/locator_query.h"
#include "program/object_names.h"
#include "program/output_json.h"
#include "program/record_sensors.h"
#include "program/table_layout.h"
#include "program/table_view.h"
#include "repository/association_statement.h"
#include "repository/method_arguments.h"
#include "repository/mof_text.h"
#include "repository/object_path.h"
#include "repository/query_evaluation.h"
#include "repository/name_compare.h"
#include "provider/association_objects.h"
#include "provider/event_watch.h"
#include "provider/provider_query.h"
#include "provider/provider_session.h"
#include "provider/provider_module.h"
#include "simulated_driver/embedded_mof.h"
#include "simulated_driver/platform_loading.h"
#include "stress/stress_run.h"

namespace norvwmi {

namespace {

using norv::win::ComPtr;
using Objects = std::vector<ComPtr<IWbemClassObject>>;

void Write(std::FILE* stream, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

void Complain(std::string_view text) {
    Write(stderr, "norvwmi: " + std::string(text) + "\n");
}

// The file's bytes, or the Win32 error that stopped reading it.
std::variant<std::string, DWORD> ReadWholeFile(const std::string& path) {
    norv::win::UniqueFile file(::CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ,
                                             FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return ::GetLastError();
    std::string text;
    char buffer[16384];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) return ::GetLastError();
        if (read == 0) return text;
        text.append(buffer, read);
    }
}

std::string CommandText(const CommandLine& line) {
    constexpr std::string_view kNames[] = {"enum",  "get",    "exec",    "classes", "query",
                                           "stress", "summary", "watch", "graph"};
    std::string text(kNames[static_cast<int>(line.command)]);
    for (const std::string& operand : line.operands) text += " " + operand;
    return text;
}

// The host's own objects' values; an object the host did not make is a provider fault,
// reported on its own.
std::vector<CimObject> Snapshots(const Objects& objects) {
    std::vector<CimObject> snapshots;
    for (const auto& object : objects) {
        const ClassObject* ours = ClassObject::Implementation(object.get());
        if (ours) snapshots.push_back(ours->Snapshot());
    }
    return snapshots;
}

void PrintSnapshots(const CommandLine& line, HRESULT status, const std::vector<CimObject>& objects,
                    const TableLinks& links = {}) {
    std::string text;
    if (line.format == OutputFormat::Json) {
        text = InstancesDocument(static_cast<std::uint32_t>(status), objects);
    } else if (line.format == OutputFormat::Table) {
        text = InstancesTable(objects, links);
    } else {
        // The text GetObjectText gives for each object.
        for (const CimObject& object : objects) text += ObjectText(object);
    }
    Write(stdout, text);
}

void PrintObjects(const CommandLine& line, HRESULT status, const Objects& objects) {
    PrintSnapshots(line, status, Snapshots(objects));
}

// The status line for anything but WBEM_S_NO_ERROR.
ExitCode Conclude(const CommandLine& line, HRESULT status, const std::string& step,
                  const std::string& detail, const std::vector<std::string>& problems,
                  const std::vector<std::string>& warnings = {}) {
    for (const std::string& warning : warnings)
        Complain(CommandText(line) + ": provider warning: " + warning);
    for (const std::string& problem : problems)
        Complain(CommandText(line) + ": provider fault: " + problem);
    if (status != WBEM_S_NO_ERROR) {
        std::string text =
            CommandText(line) + ": " + DescribeStatus(static_cast<std::uint32_t>(status));
        if (!step.empty()) text += " from " + step;
        if (!detail.empty()) text += " (" + detail + ")";
        Complain(text);
    }
    const bool failed = status != WBEM_S_NO_ERROR || !problems.empty();
    return failed ? ExitCode::RequestFailed : ExitCode::Success;
}

// Whether the served class links others, by its definition (object_names.h).
bool IsAssociationClass(const Platform& platform, const std::string& className) {
    const RequestResult found =
        LookupObject(*platform.served, ServedNamespaceOf(platform, className), className);
    return !found.objects.empty() && IsLink(found.objects.front());
}

// The provider module, else a complaint.
bool LoadProviderModule(const CommandLine& line, ProviderModule& module);
ProviderHost HostFor(const CommandLine& line, const Platform& platform);

// The served classes, then in each namespace with a class provider the classes it lists that
// the repository does not hold. A listing that fails leaves the outcome that says so.
std::variant<std::vector<std::string>, ProviderOutcome> ClassNames(const CommandLine& line,
                                                                   const Platform& platform) {
    std::vector<std::string> names = ServedClassNames(platform);
    ProviderModule module;
    for (const std::string& nameSpace : platform.servedNamespaces) {
        if (FindClassProvider(platform.served->Classes(), nameSpace,
                              ProviderOperation::EnumerateClasses)
                .status == ProviderLookupStatus::StaticClass)
            continue;
        if (!module.IsLoaded() && !LoadProviderModule(line, module)) {
            ProviderOutcome failed;
            failed.status = Wbem(WBEM_E_FAILED);
            return failed;
        }
        ProviderHost host = HostFor(line, platform);
        host.nameSpace = nameSpace;
        ProviderRequest request;
        request.operation = ProviderOperation::EnumerateClasses;
        ProviderOutcome outcome = RunProviderRequest(module, host, request);
        if (outcome.status != WBEM_S_NO_ERROR || !outcome.problems.empty()) return outcome;
        for (const CimObject& provided : Snapshots(outcome.objects)) {
            const std::string& name = provided.Definition().name;
            if (std::none_of(names.begin(), names.end(),
                             [&](const std::string& known) { return SameName(known, name); }))
                names.push_back(name);
        }
    }
    return names;
}

ExitCode ListClasses(const CommandLine& line, const Platform& platform) {
    auto listed = ClassNames(line, platform);
    if (auto* failed = std::get_if<ProviderOutcome>(&listed)) {
        // A module that did not load has said so already.
        if (failed->step.empty()) return ExitCode::RequestFailed;
        return Conclude(line, failed->status, failed->step, failed->detail, failed->problems,
                        failed->warnings);
    }
    const std::vector<std::string>& names = std::get<std::vector<std::string>>(listed);
    if (line.format == OutputFormat::Json) {
        Write(stdout, ClassesDocument(WBEM_S_NO_ERROR, names));
    } else if (line.format == OutputFormat::Table) {
        // Each class with its kind, so that scripts/run-main.sh shows the associations as
        // the graph rather than a table each.
        std::vector<TableRow> rows;
        for (const std::string& name : names)
            rows.push_back({name, IsAssociationClass(platform, name) ? "association" : "instance"});
        const TableColumn layout[] = {{"Class", Align::Left, 0}, {"Kind", Align::Left, 0}};
        Write(stdout, LayOutTable(layout, rows));
    } else {
        std::string text;
        for (const std::string& name : names) text += name + "\n";
        Write(stdout, text);
    }
    return ExitCode::Success;
}

// ASSOCIATORS OF and REFERENCES OF, answered as WMI answers them: through the providers of
// the source's class, of each association class and of each far end (association_query.h).
ExitCode AssociationQuery(const CommandLine& line, const Platform& platform,
                          const std::string& nameSpace) {
    ProviderModule module;
    if (!LoadProviderModule(line, module)) return ExitCode::RequestFailed;
    ProviderHost host = HostFor(line, platform);
    host.nameSpace = nameSpace;
    std::vector<std::string> classNames;
    for (const ClassDefinition* definition : platform.classes->Declared().Classes(nameSpace))
        classNames.push_back(definition->name);
    const ProviderAssociationAnswer result =
        RunProviderAssociationQuery(module, host, classNames, line.operands.back());
    const ObjectsAnswer& answer = result.answer;
    const auto status = static_cast<HRESULT>(answer.status);
    PrintSnapshots(line, status, answer.objects);
    return Conclude(line, status, answer.step, answer.detail, result.problems);
}

// A data query of a class that a provider serves: through the provider (provider_query.h).
ExitCode ProviderQuery(const CommandLine& line, const ProviderHost& host,
                       const ProviderQueryPlan& plan) {
    ProviderModule module;
    if (!LoadProviderModule(line, module)) return ExitCode::RequestFailed;
    const ProviderQueryAnswer answer = RunProviderQuery(module, host, plan);
    const ProviderOutcome& outcome = answer.outcome;
    PrintSnapshots(line, outcome.status, answer.objects);
    return Conclude(line, outcome.status, outcome.step, outcome.detail, outcome.problems,
                    outcome.warnings);
}

// A query without a namespace asks the first served namespace; one of a class without a
// provider is answered by the stand-in locator, as the provider's own queries are.
ExitCode Query(const CommandLine& line, const Platform& platform) {
    const std::string& text = line.operands.back();
    const std::string requested =
        line.operands.size() == 2 ? line.operands.front() : platform.servedNamespaces.front();
    const auto nameSpace = platform.served->ResolveNamespace(requested);
    if (nameSpace && IsAssociationStatement(text))
        return AssociationQuery(line, platform, *nameSpace);
    if (nameSpace) {
        ProviderHost host = HostFor(line, platform);
        host.nameSpace = *nameSpace;
        if (const auto plan = PlanProviderQuery(host, text))
            return ProviderQuery(line, host, *plan);
    }
    const LocatorQueryOutcome outcome = RunLocatorQuery(requested, text);
    PrintObjects(line, outcome.status, outcome.objects);
    std::string detail;
    if (outcome.status == WBEM_S_TIMEDOUT)
        detail = "a batch took longer than " + std::to_string(kQueryBatchTimeoutMs) + " ms after " +
                 std::to_string(outcome.objects.size()) + " objects";
    return Conclude(line, outcome.status, outcome.step, detail, {});
}

// The module the command line names, else the one beside the host; a failure is reported.
bool LoadProviderModule(const CommandLine& line, ProviderModule& module) {
    const std::wstring path =
        line.moduleFile ? Utf8ToWide(*line.moduleFile) : DefaultProviderModulePath();
    const HRESULT loaded = module.Load(path);
    if (SUCCEEDED(loaded)) return true;
    Complain("cannot load the provider module " + WideToUtf8(module.Path()) + ": " +
             DescribeStatus(static_cast<std::uint32_t>(loaded)));
    return false;
}

// The WMI service's side of the provider's requests: the platform's namespaces, the provider's
// namespace (the first served one) and the client's impersonation level.
ProviderHost HostFor(const CommandLine& line, const Platform& platform) {
    ProviderHost host;
    host.served = platform.served;
    host.nameSpace = platform.servedNamespaces.front();
    host.clientLevel = ClientLevelFromName(line.clientLevel).value_or(ClientLevel::Impersonate);
    // Another provider's MOF means another provider: WMI lets its impersonation pass.
    host.leftImpersonatingIsFault = line.mofFiles.empty();
    return host;
}

// The sensor each record applies to, from RecordAppliesToElement and the two sensor classes
// through their providers. A failure leaves the table's Sensor column empty and is said on
// standard error; the records are shown all the same.
std::map<std::string, std::string> RecordSensors(const ProviderModule& module,
                                                 const ProviderHost& host) {
    constexpr std::array<std::string_view, 3> kClasses{"RecordAppliesToElement", "Sensor",
                                                       "NumericSensor"};
    std::vector<CimObject> links;
    std::vector<CimObject> sensors;
    for (std::string_view className : kClasses) {
        ProviderRequest request;
        request.target = std::string(className);
        const ProviderOutcome outcome = RunProviderRequest(module, host, request);
        if (outcome.status != WBEM_S_NO_ERROR || !outcome.problems.empty()) {
            Complain("the log's Sensor column stays empty: enum " + request.target + ": " +
                     DescribeStatus(static_cast<std::uint32_t>(outcome.status)) + " from " +
                     outcome.step);
            return {};
        }
        auto& into = className == kClasses[0] ? links : sensors;
        for (CimObject& object : Snapshots(outcome.objects)) into.push_back(std::move(object));
    }
    return RecordSensorNames(links, sensors);
}

// Every served class's instances through its provider: the associations' and the others'.
struct ServedGraph {
    std::vector<CimObject> objects;
    std::vector<CimObject> links;
    ProviderOutcome failed;  // the first enumeration that failed, with its class as detail
    bool complete = true;
};

ServedGraph EnumerateServed(const ProviderModule& module, const ProviderHost& host,
                            const Platform& platform) {
    ServedGraph graph;
    for (const std::string& className : ServedClassNames(platform)) {
        ProviderRequest request;
        request.target = className;
        ProviderOutcome outcome = RunProviderRequest(module, host, request);
        if (outcome.status != WBEM_S_NO_ERROR || !outcome.problems.empty()) {
            const std::string what = "enum " + className;
            outcome.detail = outcome.detail.empty() ? what : what + "; " + outcome.detail;
            graph.failed = std::move(outcome);
            graph.complete = false;
            return graph;
        }
        for (CimObject& object : Snapshots(outcome.objects))
            (IsLink(object) ? graph.links : graph.objects).push_back(std::move(object));
    }
    return graph;
}

// The served namespace a request is about: the one its path names, else the one that
// declares its class.
std::string RequestNamespace(const Platform& platform, const std::string& target) {
    const auto path = ParseObjectPath(target);
    if (!path) return platform.servedNamespaces.front();
    if (!path->namespaces.empty())
        if (auto named = platform.served->ResolveNamespace(path->NamespaceText())) return *named;
    return ServedNamespaceOf(platform, path->className);
}

// exec's NAME=VALUE operands, read by the method's declaration. Without a declared class and
// method there are none: the request's route then says what is missing.
std::variant<std::vector<MethodArgument>, std::string> MethodArguments(const Platform& platform,
                                                                       const std::string& nameSpace,
                                                                       const CommandLine& line) {
    const auto path = ParseObjectPath(line.operands[0]);
    const ClassDefinition* definition =
        path ? platform.classes->Declared().FindClass(nameSpace, path->className) : nullptr;
    const MethodDefinition* method = definition ? definition->FindMethod(line.operands[1]) : nullptr;
    if (!method) return std::vector<MethodArgument>{};
    return ReadMethodArguments(*method, std::span(line.operands).subspan(2));
}

ExitCode ServeByProvider(const CommandLine& line, const Platform& platform) {
    ProviderModule module;
    if (!LoadProviderModule(line, module)) return ExitCode::RequestFailed;
    ProviderHost host = HostFor(line, platform);
    host.nameSpace = RequestNamespace(platform, line.operands[0]);
    ProviderRequest request;
    request.target = line.operands[0];
    if (line.command == Command::Enumerate) {
        request.operation = ProviderOperation::Enumerate;
    } else if (line.command == Command::Get) {
        request.operation = ProviderOperation::Get;
    } else {
        request.operation = ProviderOperation::ExecMethod;
        request.method = line.operands[1];
        auto arguments = MethodArguments(platform, host.nameSpace, line);
        if (auto* refused = std::get_if<std::string>(&arguments))
            return Conclude(line, Wbem(WBEM_E_INVALID_METHOD_PARAMETERS), "the in-parameters",
                            *refused, {});
        request.inParameters = std::get<std::vector<MethodArgument>>(std::move(arguments));
    }
    const ProviderOutcome outcome = RunProviderRequest(module, host, request);
    TableLinks links;
    const bool enumeratedTable =
        line.format == OutputFormat::Table && request.operation == ProviderOperation::Enumerate;
    if (enumeratedTable && SameName(request.target, "LogRecord"))
        links.recordSensors = RecordSensors(module, host);
    const std::vector<CimObject> objects = Snapshots(outcome.objects);
    // An association's ends are shown by the names of the served objects; should those not
    // be had, by their paths.
    std::optional<ObjectNames> endNames;
    if (enumeratedTable && !objects.empty() && IsLink(objects.front())) {
        const ServedGraph served = EnumerateServed(module, host, platform);
        if (!served.complete)
            Complain("the ends stay paths: " + served.failed.detail + ": " +
                     DescribeStatus(static_cast<std::uint32_t>(served.failed.status)));
        endNames.emplace(served.objects);
        links.endNames = &*endNames;
    }
    PrintSnapshots(line, outcome.status, objects, links);
    return Conclude(line, outcome.status, outcome.step, outcome.detail, outcome.problems,
                    outcome.warnings);
}

// The local date and time to the second, as an event line shows when its event arrived.
std::string LocalNow() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", unsigned{now.wYear},
                  unsigned{now.wMonth}, unsigned{now.wDay}, unsigned{now.wHour},
                  unsigned{now.wMinute}, unsigned{now.wSecond});
    return text;
}

// Each matching event as it arrives, while a timed platform moves on second by second: its
// MOF text (with the target instance nested), one JSON document, or one line.
ExitCode Watch(const CommandLine& line, const Platform& platform) {
    ProviderModule module;
    if (!LoadProviderModule(line, module)) return ExitCode::RequestFailed;
    const EventHandler print = [&line](IWbemClassObject* event) {
        const Objects one{norv::win::ComPtr<IWbemClassObject>(event)};
        if (line.format != OutputFormat::Table) return PrintObjects(line, WBEM_S_NO_ERROR, one);
        for (const CimObject& snapshot : Snapshots(one))
            Write(stdout, EventLine(snapshot, LocalNow()) + "\n");
    };
    // A description's timed directives change the platform at their seconds of the watch.
    SecondHandler advance;
    if (platform.timed)
        advance = [timed = platform.timed](std::uint32_t second) { timed->AdvanceTo(second); };
    const WatchOutcome outcome = WatchEvents(module, HostFor(line, platform), line.operands[0],
                                             line.watchSeconds * 1000, print, advance);
    return Conclude(line, outcome.status, outcome.step, outcome.detail, outcome.problems);
}

// The health summary from four enumerations; the first that fails stops it.
ExitCode Summary(const CommandLine& line, const Platform& platform) {
    ProviderModule module;
    if (!LoadProviderModule(line, module)) return ExitCode::RequestFailed;
    const ProviderHost host = HostFor(line, platform);
    constexpr std::array<std::string_view, 4> kClasses{"Sensor", "NumericSensor", "LogRecord",
                                                       "HealthCondition"};
    std::array<std::vector<CimObject>, kClasses.size()> found;
    for (std::size_t i = 0; i < kClasses.size(); ++i) {
        ProviderRequest request;
        request.operation = ProviderOperation::Enumerate;
        request.target = std::string(kClasses[i]);
        const ProviderOutcome outcome = RunProviderRequest(module, host, request);
        if (outcome.status != WBEM_S_NO_ERROR || !outcome.problems.empty()) {
            const std::string what = "enum " + request.target;
            return Conclude(line, outcome.status, outcome.step,
                            outcome.detail.empty() ? what : what + "; " + outcome.detail,
                            outcome.problems);
        }
        found[i] = Snapshots(outcome.objects);
    }
    const std::string platformName = line.platformFile.value_or(std::string(kDefaultPlatformName));
    Write(stdout, HealthSummary(platformName, HealthObjects{found[0], found[1], found[2], found[3]}));
    return ExitCode::Success;
}

// The association graph as a tree of names, from every served class's instances.
ExitCode Graph(const CommandLine& line, const Platform& platform) {
    ProviderModule module;
    if (!LoadProviderModule(line, module)) return ExitCode::RequestFailed;
    const ServedGraph graph = EnumerateServed(module, HostFor(line, platform), platform);
    if (!graph.complete)
        return Conclude(line, graph.failed.status, graph.failed.step, graph.failed.detail,
                        graph.failed.problems);
    Write(stdout, AssociationTree(graph.objects, graph.links));
    return ExitCode::Success;
}

ExitCode Stress(const CommandLine& line, const Platform& platform) {
    ProviderModule module;
    if (!LoadProviderModule(line, module)) return ExitCode::RequestFailed;
    const ProviderHost host = HostFor(line, platform);
    // The command line has checked the three numbers.
    StressSettings settings;
    settings.threads = static_cast<unsigned>(std::stoul(line.operands[0]));
    settings.seconds = static_cast<unsigned>(std::stoul(line.operands[1]));
    settings.watchdogSeconds = static_cast<unsigned>(std::stoul(line.operands[2]));
    const StressReport report =
        RunStress(module, host, ServedClassNames(platform), platform.perturbation.get(), settings);
    Write(stdout, StressSummary(settings, report));
    for (const std::string& problem : report.problems) Complain("stress: " + problem);
    if (report.problemCount > report.problems.size())
        Complain("stress: and " + std::to_string(report.problemCount - report.problems.size()) +
                 " more problems");
    return report.problemCount == 0 ? ExitCode::Success : ExitCode::RequestFailed;
}

ExitCode RunWithPlatform(const CommandLine& line, const Platform& platform) {
    const UtilityParserRegistration parsers = RegisterWmiUtilityParsers();
    if (FAILED(parsers.Status())) {
        Complain("cannot register the WMI utility parsers: " +
                 DescribeStatus(static_cast<std::uint32_t>(parsers.Status())));
        return ExitCode::RequestFailed;
    }
    FactoryRegistration locator;
    const HRESULT registered = RegisterAdminLocator(platform.served, locator);
    if (FAILED(registered)) {
        Complain("cannot register the administrative locator: " +
                 DescribeStatus(static_cast<std::uint32_t>(registered)));
        return ExitCode::RequestFailed;
    }
    switch (line.command) {
        case Command::Classes:
            return ListClasses(line, platform);
        case Command::Query:
            return Query(line, platform);
        case Command::Enumerate:
        case Command::Get:
        case Command::Exec:
            return ServeByProvider(line, platform);
        case Command::Stress:
            return Stress(line, platform);
        case Command::Summary:
            return Summary(line, platform);
        case Command::Watch:
            return Watch(line, platform);
        case Command::Graph:
            return Graph(line, platform);
    }
    return ExitCode::Usage;
}

}  // namespace

ExitCode RunCommand(const CommandLine& line) {
    const ComApartment apartment;
    if (FAILED(apartment.Status())) {
        Complain("cannot initialise COM: " +
                 DescribeStatus(static_cast<std::uint32_t>(apartment.Status())));
        return ExitCode::RequestFailed;
    }
    MofFile description = DefaultPlatformDescription();
    if (line.platformFile) {
        auto read = ReadWholeFile(*line.platformFile);
        if (const DWORD* error = std::get_if<DWORD>(&read)) {
            Complain("cannot read the platform description " + *line.platformFile + ": " +
                     DescribeStatus(static_cast<std::uint32_t>(HRESULT_FROM_WIN32(*error))));
            return ExitCode::PlatformInvalid;
        }
        description = MofFile{*line.platformFile, std::move(std::get<std::string>(read))};
    }
    std::vector<MofFile> servedMofs;
    for (const std::string& file : line.mofFiles) {
        auto read = ReadWholeFile(file);
        if (const DWORD* error = std::get_if<DWORD>(&read)) {
            Complain("cannot read the MOF file " + file + ": " +
                     DescribeStatus(static_cast<std::uint32_t>(HRESULT_FROM_WIN32(*error))));
            return ExitCode::PlatformInvalid;
        }
        servedMofs.push_back(MofFile{file, std::move(std::get<std::string>(read))});
    }
    auto loaded = LoadPlatform(description, ComputerName(), line.perturbSeed, servedMofs);
    if (const MofError* error = std::get_if<MofError>(&loaded)) {
        Write(stderr, FormatMofError(*error) + "\n");
        return ExitCode::PlatformInvalid;
    }
    // The platform outlives the registrations that serve it, and COM outlives both.
    const Platform platform = std::get<Platform>(std::move(loaded));
    return RunWithPlatform(line, platform);
}

}  // namespace norvwmi
