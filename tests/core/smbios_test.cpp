// The entry-point scan, the structure walk, the processor sockets and the OEM processor
// records, on the constructed images of tests/data/core/smbios_images.txt and on real
// tables (tests/data/core/smbios_dumps.txt).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <iomanip>
#include <optional>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "platform/smbios_entry_point.h"
#include "platform/smbios_table.h"
#include "smbios_test_tables.h"
#include "support/case_file.h"

namespace norv {
namespace {

using namespace smbios_test;

// The structures the walk visits (handle:type:formatted length), and every processor socket
// with its designation and status; `detailed` adds each socket's 40 bytes and OEM record.
std::string Describe(std::span<const std::uint8_t> table, bool detailed) {
    char text[96];
    std::size_t count = 0, end = 0;
    std::string structures;
    SmbiosStructureWalker walker(table);
    while (const std::optional<SmbiosStructureView> next = walker.Next()) {
        ++count;
        end = static_cast<std::size_t>(next->stringSet.data() - table.data()) +
              next->stringSet.size();
        std::snprintf(text, sizeof text, " %04X:%u:%zu", unsigned{next->Handle()},
                      unsigned{next->Type()}, next->formatted.size());
        structures += text;
    }
    EXPECT_FALSE(walker.Next());  // an ended walk stays ended
    std::snprintf(text, sizeof text, "%zu structures ending %zu bytes before the end:", count,
                  table.size() - end);
    std::string answer = text + structures + "; processors";
    for (const ProcessorStructure& processor : CollectProcessorStructures(table)) {
        std::snprintf(
            text, sizeof text, " %04X \"%s\" status %02X%s", unsigned{processor.Handle()},
            GetSocketString(processor.SocketDesignationNumber(), processor.strings).c_str(),
            unsigned{processor.bytes[kProcessorStatusOffset]},
            processor.Populated() ? " populated" : "");
        answer += text;
        for (std::size_t b = processor.bytes[1]; b < kProcessorCopyLength; ++b)
            EXPECT_EQ(processor.bytes[b], 0) << b;
        const std::optional<OemProcessorBytes> oem = FindOemProcessor(table, processor.Handle());
        if (detailed)
            answer += " [" + HexText(processor.bytes) + "] oem " + (oem ? HexText(*oem) : "none");
        else
            EXPECT_FALSE(oem);  // the dumped tables carry none
    }
    return answer;
}

// tests/data/core/smbios_images.txt: scan, table, find, oem and string cases.
std::string ImageCase(const std::string& input) {
    std::istringstream in = test::CaseInput(input);
    std::string what, rest;
    in >> what;
    unsigned type = 0, index = 0, copy = 0, handle = 0;
    if (what == "find") in >> type >> index >> copy;
    if (what == "oem" || what == "string") in >> handle;
    std::getline(in, rest);
    if (what == "table") return Describe(Hex(rest), true);
    if (what == "oem") {
        const std::optional<OemProcessorBytes> oem =
            FindOemProcessor(Hex(rest), static_cast<std::uint16_t>(handle));
        return oem ? HexText(*oem) : "none";
    }
    if (what == "string") {
        std::vector<std::string> strings{""};
        std::istringstream texts(rest);
        for (std::string text; texts >> std::quoted(text);) strings.push_back(text);
        return "\"" + GetSocketString(static_cast<std::uint8_t>(handle), strings) + "\"";
    }
    if (what == "find") {
        const std::optional<SmbiosStructure> found = FindStructure(
            Hex(rest), static_cast<std::uint8_t>(type), index, static_cast<std::uint8_t>(copy));
        if (!found) return "none";
        std::string answer = "[" + HexText(found->formatted) + "]";
        for (const std::string& text : found->strings) {
            answer += " \"";
            for (const char c : text) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\x%02X",
                              unsigned{static_cast<std::uint8_t>(c)});
                answer += static_cast<std::uint8_t>(c) < 0x80 ? std::string(1, c) : escaped;
            }
            answer += "\"";
        }
        return answer;
    }
    const std::optional<SmbiosEntryPoint> found = FindSmbiosEntryPoint(Image(rest));
    if (!found) return "none";
    char text[96];
    std::snprintf(text, sizeof text, "at %zX: %u.%u, table of %u bytes at %X; ", found->offset,
                  found->Version() >> 8u, found->Version() & 0xFFu, unsigned{found->TableLength()},
                  unsigned{found->TableAddress()});
    return text + HexText(found->bytes);
}

TEST(SmbiosImages, ScanWalkSocketsAndOemRecordsAsReviewed) {
    test::ExpectCases("smbios_images.txt", ImageCase);
}

// Real tables, as tests/data/core/smbios_dumps.txt says: dmidecode --dump-bin files (entry
// point at 0, table at 0x20) and raw tables; smbios_dmidecode_test.cpp compares the walk of
// every one with dmidecode's decoding on every run.
std::string Dumped(const std::string& input) {
    std::istringstream in(input);
    std::string file;
    unsigned tableStart = 0;
    in >> file >> std::hex >> tableStart;
    const Bytes dump = ReadFile(std::string(NORV_TEST_DATA_DIR) + "/smbios/" + file);
    if (dump.size() <= tableStart) return "unreadable";
    std::span<const std::uint8_t> table = std::span(dump).subspan(tableStart);
    char text[96];
    std::string answer = "no entry point";
    if (const std::optional<SmbiosEntryPoint> entryPoint = FindSmbiosEntryPoint(dump)) {
        std::snprintf(text, sizeof text, "entry point %u.%u at %zX, table of %u bytes at %X",
                      entryPoint->Version() >> 8u, entryPoint->Version() & 0xFFu,
                      entryPoint->offset, unsigned{entryPoint->TableLength()},
                      unsigned{entryPoint->TableAddress()});
        answer = text;
        if (entryPoint->TableAddress() == tableStart &&
            tableStart + entryPoint->TableLength() <= dump.size())
            table = table.first(entryPoint->TableLength());
    }
    return answer + "; " + Describe(table, false);
}

TEST(DumpedTables, AgreeWithTheirDecoding) {
    test::ExpectCases("smbios_dumps.txt", Dumped);
}

}  // namespace
}  // namespace norv
