// The recording sinks and the check that a provider call ended as a client expects.
#include <gtest/gtest.h>

#include <thread>

#include "com/completion_check.h"
#include "com/recording_sink.h"
#include "com/wbem_status.h"
#include "test_namespace.h"

namespace norvwmi {
namespace {

using norv::win::ComPtr;

TEST(RecordingSink, RecordsIndicatesWithTheirObjectsAndStatuses) {
    auto sink = RecordingSink::Create();
    const long before = LiveComObjects();
    {
        auto first = testing::NewTestInstance("Base");
        auto second = testing::NewTestInstance("Pair");
        IWbemClassObject* both[] = {first.get(), second.get()};
        ASSERT_EQ(sink->Indicate(2, both), WBEM_S_NO_ERROR);
        ASSERT_EQ(sink->Indicate(1, both), WBEM_S_NO_ERROR);
    }
    EXPECT_EQ(LiveComObjects(), before + 2);  // the sink keeps what it was given
    const auto objects = sink->Objects();
    ASSERT_EQ(objects.size(), 3u);
    EXPECT_EQ(objects[0].get(), objects[2].get());

    norv::win::UniqueBstr text(::SysAllocString(L"done"));
    ASSERT_EQ(sink->SetStatus(WBEM_STATUS_PROGRESS, WBEM_S_NO_ERROR, nullptr, nullptr),
              WBEM_S_NO_ERROR);
    ASSERT_EQ(sink->SetStatus(WBEM_STATUS_COMPLETE, Wbem(WBEM_E_FAILED), text.get(), nullptr),
              WBEM_S_NO_ERROR);
    const auto finals = sink->FinalStatuses();
    ASSERT_EQ(finals.size(), 1u);
    EXPECT_EQ(finals[0].result, Wbem(WBEM_E_FAILED));
    EXPECT_EQ(finals[0].text, L"done");
    EXPECT_EQ(sink->Events().size(), 4u);

    EXPECT_EQ(sink->Indicate(1, nullptr), Wbem(WBEM_E_INVALID_PARAMETER));
    sink->FailIndicateWith(Wbem(WBEM_E_CALL_CANCELLED));
    IWbemClassObject* one[] = {objects[0].get()};
    EXPECT_EQ(sink->Indicate(1, one), Wbem(WBEM_E_CALL_CANCELLED));
    EXPECT_EQ(sink->Objects().size(), 3u);
}

TEST(RecordingSink, WaitsForAFinalStatusFromAnotherThread) {
    auto sink = RecordingSink::Create();
    const DWORD start = ::GetTickCount();
    EXPECT_FALSE(sink->WaitForFinalStatus(100));
    EXPECT_GE(::GetTickCount() - start, 90u);

    std::thread provider([&] {
        ::Sleep(50);
        sink->SetStatus(WBEM_STATUS_PROGRESS, 0, nullptr, nullptr);  // not final
        ::Sleep(50);
        sink->SetStatus(WBEM_STATUS_COMPLETE, 0, nullptr, nullptr);
    });
    EXPECT_TRUE(sink->WaitForFinalStatus(5000));
    provider.join();
    EXPECT_EQ(sink->FinalStatuses().size(), 1u);
}

TEST(CheckCompletion, FlagsCallsAClientWouldHangOrStumbleOn) {
    auto object = testing::NewTestInstance("Base");
    IWbemClassObject* one[] = {object.get()};

    auto silent = RecordingSink::Create();
    silent->Indicate(1, one);
    auto problems = CheckCompletion(WBEM_S_NO_ERROR, *silent.get());
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("never called SetStatus"), std::string::npos);
    EXPECT_NE(problems[0].find("0x00000000"), std::string::npos);

    auto proper = RecordingSink::Create();
    proper->Indicate(1, one);
    proper->SetStatus(WBEM_STATUS_COMPLETE, WBEM_S_NO_ERROR, nullptr, nullptr);
    EXPECT_TRUE(CheckCompletion(WBEM_S_NO_ERROR, *proper.get()).empty());

    auto failed = RecordingSink::Create();  // a failed lookup need not call the sink
    EXPECT_TRUE(CheckCompletion(Wbem(WBEM_E_NOT_FOUND), *failed.get()).empty());

    auto twice = RecordingSink::Create();
    twice->SetStatus(WBEM_STATUS_COMPLETE, WBEM_S_NO_ERROR, nullptr, nullptr);
    twice->Indicate(1, one);
    twice->SetStatus(WBEM_STATUS_COMPLETE, WBEM_S_NO_ERROR, nullptr, nullptr);
    problems = CheckCompletion(WBEM_S_NO_ERROR, *twice.get());
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_NE(problems[0].find("2 times"), std::string::npos);
    EXPECT_NE(problems[1].find("after the final SetStatus"), std::string::npos);

    auto late = RecordingSink::Create();
    std::thread provider([&] {
        ::Sleep(50);
        late->SetStatus(WBEM_STATUS_COMPLETE, WBEM_S_NO_ERROR, nullptr, nullptr);
    });
    EXPECT_TRUE(CheckCompletion(WBEM_S_NO_ERROR, *late.get(), 5000).empty());
    provider.join();
}

}  // namespace
}  // namespace norvwmi
