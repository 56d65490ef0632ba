// The sink an event provider is given hands on exactly the events a subscription asked for
// (tests/data/norvwmi/event_sink.txt), the classes those of registrations.mof read after the
// system classes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "com/class_object.h"
#include "provider/event_filtering_sink.h"
#include "repository/served_namespaces.h"
#include "support/case_file.h"
#include "support/test_files.h"
#include "test_variant.h"

namespace norvwmi {
namespace {

using norv::win::ComPtr;
using testing::Variant;

class EventSink : public ::testing::Test {
protected:
    ComPtr<IWbemClassObject> New(const char* className) {
        auto lineage = served->Lineage("root\\test", className);
        EXPECT_TRUE(lineage) << className;
        const auto type = ClassObject::Create(CimObject::MakeClass(
            std::move(*lineage), ObjectSource{served->ServerName(), "root\\test"}));
        ComPtr<IWbemClassObject> instance;
        EXPECT_EQ(type->SpawnInstance(0, instance.put()), WBEM_S_NO_ERROR);
        return instance;
    }
    ComPtr<IWbemClassObject> Alert(const char* className, std::int64_t severity) {
        auto alert = New(className);
        Variant value = Variant::Number(VT_I4, severity);
        EXPECT_EQ(alert->Put(L"Severity", 0, value.get(), 0), WBEM_S_NO_ERROR);
        return alert;
    }
    ComPtr<IWbemClassObject> About(const char* eventClass, const char* targetClass,
                                   const wchar_t* id) {
        auto event = New(eventClass);
        auto target = New(targetClass);
        Variant key = Variant::Text(id);
        EXPECT_EQ(target->Put(L"Id", 0, key.get(), 0), WBEM_S_NO_ERROR);
        VARIANT embedded;
        V_VT(&embedded) = VT_UNKNOWN;
        V_UNKNOWN(&embedded) = target.get();
        EXPECT_EQ(event->Put(L"TargetInstance", 0, &embedded, 0), WBEM_S_NO_ERROR);
        return event;
    }

    std::shared_ptr<ServedNamespaces> served = std::make_shared<ServedNamespaces>(
        std::make_shared<RepositoryClassSource>(testing::TestRepository("registrations.mof", true)),
        "HOST");
};

TEST_F(EventSink, HandsOnExactlyTheEventsTheQueryAskedFor) {
    std::vector<ComPtr<IWbemClassObject>> events{
        Alert("Alert", 7), Alert("Alert", 3), Alert("DiskAlert", 9), New("Quiet"),
        About("__InstanceCreationEvent", "Derived", L"2"),
        About("__InstanceCreationEvent", "Base", L"1"),
        About("__InstanceDeletionEvent", "Derived", L"2"), New("__InstanceCreationEvent")};
    std::vector<IWbemClassObject*> batch;
    for (const auto& event : events) batch.push_back(event.get());

    norv::test::ExpectCases("event_sink.txt", [&](const std::string& text) {
        const auto query = ParseEventQuery(text);
        if (!query) return std::string("not an event query");
        std::string delivered;
        std::size_t calls = 0;
        const EventHandler handler = [&](IWbemClassObject* event) {
            ++calls;
            for (std::size_t i = 0; i < batch.size(); ++i)
                if (batch[i] == event)
                    delivered += (delivered.empty() ? "" : " ") + std::to_string(i + 1);
        };
        const auto sink = EventFilteringSink::Create(*query, handler);
        // One at a time and all at once alike.
        EXPECT_EQ(sink->Indicate(1, batch.data()), WBEM_S_NO_ERROR);
        EXPECT_EQ(sink->Indicate(static_cast<LONG>(batch.size() - 1), batch.data() + 1),
                  WBEM_S_NO_ERROR);
        EXPECT_EQ(sink->Delivered(), calls) << text;
        return delivered;
    });
}

TEST_F(EventSink, RefusesABadBatchAndPassesOverNullEvents) {
    std::size_t calls = 0;
    const EventHandler handler = [&](IWbemClassObject*) { ++calls; };
    const auto sink = EventFilteringSink::Create(*ParseEventQuery("SELECT * FROM Alert"), handler);
    EXPECT_EQ(sink->Indicate(-1, nullptr), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(sink->Indicate(1, nullptr), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(sink->Indicate(0, nullptr), WBEM_S_NO_ERROR);
    auto alert = Alert("Alert", 1);
    IWbemClassObject* withNull[] = {nullptr, alert.get()};
    EXPECT_EQ(sink->Indicate(2, withNull), WBEM_S_NO_ERROR);
    EXPECT_EQ(calls, 1u);
}

}  // namespace
}  // namespace norvwmi
