// Times association queries through Norvipmiprv.dll, answered by the host as `norvwmi query`
// answers them (provider/association_objects.h), beside the requests they are set against,
// in one process with warm caches. Google Benchmark has no Windows build here, so this
// program only measures and prints; bench/association_bench.cpp runs it and reports.
//
//   association_timer [--platform FILE] [--full-log] [--module FILE] ROUNDS
//
// A round is seven samples, in turn:
//   references_log     REFERENCES OF {the RecordLog}
//   enum_LogRecord     an enumeration of LogRecord
//   enum_HealthCondition an enumeration of HealthCondition, the conditions that log leaves
//   associators_linked ASSOCIATORS OF {a sensor with log records}
//   get_linked         a GetObject of that sensor
//   associators_quiet  ASSOCIATORS OF {a served Sensor without log records}
//   get_quiet          a GetObject of that sensor
// The sensor with records is the one whose count of records is the median among the sensors
// that have any (from RecordAppliesToElement). Every sample starts within 1.5 s of an untimed
// round that filled the caches (after a 2.1-second sleep whenever the next sample could
// reach the two-second limit), as dll_enum_timer's warm enumerations do. Each sample is one line:
//   KIND NANOSECONDS OBJECTS PLATFORM_QUERIES
// and before them one line for each sensor chosen:
//   linked|quiet RECORDS PATH
// Exit status 0, or 1 with a message on standard error.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "com/class_object.h"
#include "com/wide_text.h"
#include "provider/association_objects.h"
#include "provider/provider_session.h"
#include "timed_stand_in.h"

namespace {

using norv::bench::Stopwatch;
using norv::bench::kColdSleepMs;
using norv::bench::kWarmWindowSeconds;


int Fail(const std::string& message) {
    std::fprintf(stderr, "association_timer: %s\n", message.c_str());
    return 1;
}

// A value of an object as text, empty when it has none.
std::string Text(const norvwmi::CimObject& object, std::string_view property) {
    const auto index = object.Find(property);
    if (!index) return {};
    const auto* text = std::get_if<std::string>(&object.ValueAt(*index).data);
    return text ? *text : std::string();
}

class Requests {
public:
    explicit Requests(const norv::bench::TimedStandIn& standIn)
        : standIn_(standIn), classes_(standIn.ServedClasses()) {}

    // A request through the module; its objects, or nullopt with a message.
    std::optional<std::vector<norvwmi::CimObject>> Provider(norvwmi::ProviderOperation operation,
                                                            const std::string& target) {
        norvwmi::ProviderRequest request;
        request.operation = operation;
        request.target = target;
        const norvwmi::ProviderOutcome outcome =
            norvwmi::RunProviderRequest(standIn_.Module(), standIn_.Host(), request);
        if (const auto failure = norv::bench::RequestFailure(request, outcome)) {
            Fail(*failure);
            return std::nullopt;
        }
        std::vector<norvwmi::CimObject> objects;
        for (const auto& object : outcome.objects)
            if (const auto* ours = norvwmi::ClassObject::Implementation(object.get()))
                objects.push_back(ours->Snapshot());
        return objects;
    }

    std::optional<std::vector<norvwmi::CimObject>> Association(const std::string& query) {
        const norvwmi::ProviderAssociationAnswer result = norvwmi::RunProviderAssociationQuery(
            standIn_.Module(), standIn_.Host(), classes_, query);
        if (result.answer.status != 0 || !result.problems.empty()) {
            std::string message = query + ": " + norv::bench::StatusText(
                                                      static_cast<HRESULT>(result.answer.status));
            message += " from " + result.answer.step + " " + result.answer.detail;
            for (const std::string& problem : result.problems) message += "; " + problem;
            Fail(message);
            return std::nullopt;
        }
        return result.answer.objects;
    }

private:
    const norv::bench::TimedStandIn& standIn_;
    std::vector<std::string> classes_;
};

struct Sample {
    const char* kind;
    bool association;                      // an association query, else a provider request
    norvwmi::ProviderOperation operation;  // of a provider request
    std::string target;                    // the query, class or path
};

struct Chosen {
    std::string path;
    std::size_t records = 0;
};

// The sensor with the median count of records among those with any, and a served Sensor
// with none.
std::optional<std::pair<Chosen, Chosen>> ChooseSensors(Requests& requests) {
    const auto links =
        requests.Provider(norvwmi::ProviderOperation::Enumerate, "RecordAppliesToElement");
    const auto sensors = requests.Provider(norvwmi::ProviderOperation::Enumerate, "Sensor");
    if (!links || !sensors) return std::nullopt;
    std::map<std::string, std::size_t> recordsOf;
    for (const norvwmi::CimObject& link : *links) ++recordsOf[Text(link, "Dependent")];
    std::vector<Chosen> linked;
    for (const auto& [path, count] : recordsOf) linked.push_back({path, count});
    if (linked.empty()) {
        Fail("no sensor has a log record");
        return std::nullopt;
    }
    std::sort(linked.begin(), linked.end(),
              [](const Chosen& a, const Chosen& b) { return a.records < b.records; });
    for (const norvwmi::CimObject& sensor : *sensors) {
        const std::string path = sensor.RelativePath().value_or("");
        if (!path.empty() && recordsOf.count(path) == 0)
            return std::make_pair(linked[linked.size() / 2], Chosen{path, 0});
    }
    Fail("every Sensor has a log record");
    return std::nullopt;
}

int Measure(const norv::bench::TimedStandIn& standIn, unsigned rounds) {
    Requests requests(standIn);
    const auto logs = requests.Provider(norvwmi::ProviderOperation::Enumerate, "RecordLog");
    if (!logs) return 1;
    if (logs->size() != 1) return Fail("not one RecordLog");
    const std::string log = logs->front().RelativePath().value_or("");
    const auto chosen = ChooseSensors(requests);
    if (!chosen) return 1;
    const auto& [linked, quiet] = *chosen;
    std::printf("linked %zu %s\nquiet %zu %s\n", linked.records, linked.path.c_str(),
                quiet.records, quiet.path.c_str());

    using norvwmi::ProviderOperation;
    const Sample round[] = {
        {"references_log", true, {}, "REFERENCES OF {" + log + "}"},
        {"enum_LogRecord", false, ProviderOperation::Enumerate, "LogRecord"},
        {"enum_HealthCondition", false, ProviderOperation::Enumerate, "HealthCondition"},
        {"associators_linked", true, {}, "ASSOCIATORS OF {" + linked.path + "}"},
        {"get_linked", false, ProviderOperation::Get, linked.path},
        {"associators_quiet", true, {}, "ASSOCIATORS OF {" + quiet.path + "}"},
        {"get_quiet", false, ProviderOperation::Get, quiet.path},
    };
    const auto run = [&](const Sample& sample) {
        return sample.association ? requests.Association(sample.target)
                   : requests.Provider(sample.operation, sample.target);
    };
    const auto fill = [&] {
        for (const Sample& sample : round)
            if (!run(sample)) return false;
        return true;
    };
    if (!fill()) return 1;
    Stopwatch sinceFill;
    for (unsigned r = 0; r < rounds; ++r) {
        for (const Sample& sample : round) {
            if (sinceFill.Seconds() > kWarmWindowSeconds) {
                ::Sleep(kColdSleepMs);
                if (!fill()) return 1;
                sinceFill.Restart();
            }
            const std::uint64_t readsBefore = standIn.Counter().PlatformReads();
            const Stopwatch watch;
            const auto objects = run(sample);
            const std::uint64_t nanoseconds = watch.Nanoseconds();
            if (!objects) return 1;
            std::printf("%s %llu %zu %llu\n", sample.kind,
                        static_cast<unsigned long long>(nanoseconds), objects->size(),
                        static_cast<unsigned long long>(standIn.Counter().PlatformReads() -
                                                        readsBefore));
        }
        std::fflush(stdout);
    }
    return 0;
}

int Run(int argc, wchar_t** argv) {
    const norv::bench::TimerArguments arguments = norv::bench::SplitArguments(argc, argv);
    const auto rounds = arguments.operands.size() == 1
                            ? norv::bench::ParseCount(arguments.operands[0], 100000)
                            : std::nullopt;
    if (!rounds)
        return Fail("usage: association_timer [--platform FILE] [--full-log] [--module FILE] "
                    "ROUNDS");
    norv::bench::TimedStandIn standIn;
    if (const std::optional<std::string> failure = standIn.Open(arguments)) return Fail(*failure);
    return Measure(standIn, *rounds);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        return Fail("out of memory");
    }
}
