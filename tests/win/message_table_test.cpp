// The module's message table read back as the event log reads it: every message of the alert
// catalogue, under its full 32-bit id, formatted with insertion strings, is the catalogue's
// template filled the same way, and the table holds no other message.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "alerts/alert_messages.h"
#include "alerts/message_table_id.h"
#include "alerts/message_text.h"
#include "host_test_support.h"

namespace norv {
namespace {

// A value for each kind of argument, each different, so an insert of the wrong number shows.
constexpr struct {
    MessageArgument argument;
    const char* sample;
} kSamples[] = {
    {MessageArgument::SensorLabel, "FAN 3(5.0.32)"},
    {MessageArgument::Reading, "70"},
    {MessageArgument::ReadingUnits, "Cel"},
    {MessageArgument::Threshold, "65"},
    {MessageArgument::PostErrorNumber, "1785"},
    {MessageArgument::RepairedEventText, "Transition to Degraded"},
    {MessageArgument::RecordCaption, "Fan: Device Removed/Device Absent"},
};
std::string SampleArgument(MessageArgument argument) {
    for (const auto& row : kSamples)
        if (row.argument == argument) return row.sample;
    ADD_FAILURE() << "no sample of argument " << static_cast<int>(argument);
    return "";
}

// The module as the event log opens a message file: its resources only, no code run.
test::UniqueModule LoadModuleAsData() {
    return test::UniqueModule(::LoadLibraryExA(NORV_MODULE_FILE, nullptr, LOAD_LIBRARY_AS_DATAFILE));
}

TEST(MessageTableTest, EveryCatalogueMessageReadsAsItsTemplateFilledWithTheInsertionStrings) {
    const test::UniqueModule module = LoadModuleAsData();
    ASSERT_TRUE(module) << "error " << ::GetLastError();
    for (const AlertMessage& message : kAlertMessages) {
        std::vector<std::string> arguments;
        std::vector<std::wstring> insertions;
        for (std::size_t i = 0; i < message.ArgumentCount(); ++i) {
            arguments.push_back(SampleArgument(message.arguments[i]));
            insertions.push_back(test::Wide(arguments.back()));
        }
        // FORMAT_MESSAGE_ARGUMENT_ARRAY: the arguments as an array of pointer-sized values.
        std::vector<DWORD_PTR> pointers;
        for (const std::wstring& insertion : insertions)
            pointers.push_back(reinterpret_cast<DWORD_PTR>(insertion.c_str()));
        pointers.push_back(0);
        wchar_t text[512] = {};
        const DWORD length = ::FormatMessageW(
            FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, module.get(),
            MessageTableId(message), 0, text, ARRAYSIZE(text),
            reinterpret_cast<va_list*>(pointers.data()));
        EXPECT_EQ(std::wstring(text, length), test::Wide(FillMessageTemplate(message.text, arguments)))
            << message.name << ": FormatMessage error " << (length == 0 ? ::GetLastError() : 0);
    }
}

TEST(MessageTableTest, HoldsOneMessagePerCatalogueRow) {
    const test::UniqueModule module = LoadModuleAsData();
    ASSERT_TRUE(module);
    HRSRC resource = ::FindResourceW(module.get(), MAKEINTRESOURCEW(1), RT_MESSAGETABLE);
    ASSERT_NE(resource, nullptr);
    const auto* table = static_cast<const MESSAGE_RESOURCE_DATA*>(
        ::LockResource(::LoadResource(module.get(), resource)));
    ASSERT_NE(table, nullptr);
    std::size_t messages = 0;
    for (DWORD i = 0; i < table->NumberOfBlocks; ++i)
        messages += table->Blocks[i].HighId - table->Blocks[i].LowId + 1;
    EXPECT_EQ(messages, kAlertMessageCount);
}

}  // namespace
}  // namespace norv
