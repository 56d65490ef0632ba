// The entry-point scan, the structure walk, the processor sockets and the OEM processor
// records, on the constructed images of tests/data/core/smbios_images.txt and on the real
// tables of tests/data/smbios.
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
// with its designation, status, 40 bytes and OEM record.
std::string Describe(std::span<const std::uint8_t> table) {
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
        answer += " [" + HexText(processor.bytes) + "] oem " + (oem ? HexText(*oem) : "none");
    }
    return answer;
}

// tests/data/core/smbios_images.txt: scan, table, dump, find, oem and string cases.
std::string ImageCase(const std::string& input) {
    std::istringstream in = test::CaseInput(input);
    std::string what, rest;
    in >> what;
    unsigned type = 0, index = 0, copy = 0, handle = 0;
    if (what == "find") in >> type >> index >> copy;
    if (what == "oem" || what == "string") in >> handle;
    std::getline(in, rest);
    if (what == "table") return Describe(Hex(rest));
    if (what == "dump") {  // a dump's table follows its entry point, padded to 20 bytes
        const std::string text = test::ReadFile(NORV_TEST_DATA_DIR "/smbios/" + rest.substr(1));
        const Bytes file(text.begin(), text.end());
        return Describe(std::span(file).subspan(file.size() > 0x20 && file[0] == '_' ? 0x20 : 0));
    }
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

}  // namespace
}  // namespace norv
