#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <span>
#include <string>
#include <vector>

#include "platform/smbios_entry_point.h"
#include "golden_text.h"
#include "platform/smbios_table.h"
#include "smbios_test_tables.h"

namespace norv {
namespace {

using namespace smbios_test;

TEST(SmbiosEntryPoint, ReadsVersionTableLengthAndAddressAndZeroFillsPastTheImage) {
    const Bytes image = ImageWith({{0x5A0, EntryPoint(2, 7, 0x1217, 0x000EB3A0)}});
    const std::optional<SmbiosEntryPoint> found = FindSmbiosEntryPoint(image);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->offset, 0x5A0u);
    EXPECT_EQ(found->Version(), 0x0207);
    EXPECT_EQ(found->TableLength(), 0x1217);
    EXPECT_EQ(found->TableAddress(), 0x000EB3A0u);
    EXPECT_EQ(Bytes(found->bytes.begin(), found->bytes.end()),
              EntryPoint(2, 7, 0x1217, 0x000EB3A0));
    // 0x1C bytes is enough to be accepted; the rest of the 31-byte copy lies outside.
    const auto cut = FindSmbiosEntryPoint(
        ImageWith({{0x10, EntryPoint(2, 7, 0x40, 0x1234, 0x1C)}}, 0x10 + 0x1C));
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->TableAddress(), 0x1234u);
    EXPECT_EQ(cut->bytes[0x1C], 0);
    EXPECT_EQ(cut->bytes[0x1E], 0);
}

TEST(SmbiosEntryPoint, TheScanAcceptsOnlyValidCandidates) {
    struct Case {
        const char* name;
        Bytes image;
        std::optional<std::size_t> foundAt;
    };
    const std::optional<std::size_t> none;
    // clang-format off
    const Case cases[] = {
        {"first of two valid", ImageWith({{0x100, EntryPoint(2, 4, 10, 0)}, {0x200, EntryPoint(2, 4, 10, 0)}}), 0x100},
        {"2.0 skipped, the scan goes on", ImageWith({{0x100, EntryPoint(2, 0, 10, 0)}, {0x130, EntryPoint(2, 1, 10, 0)}}), 0x130},
        {"3.0 accepted", ImageWith({{0x40, EntryPoint(3, 0, 10, 0)}}), 0x40},
        {"1.9 skipped", ImageWith({{0x40, EntryPoint(1, 9, 10, 0)}}), none},
        {"bad checksum skipped", ImageWith({{0x100, WithByte(EntryPoint(2, 7, 10, 0), 0x16, 11)}, {0x300, EntryPoint(2, 7, 10, 0)}}), 0x300},
        // The checksum covers the entry-point length only.
        {"byte beyond the length ignored", ImageWith({{0x80, WithByte(EntryPoint(2, 7, 10, 0, 0x1E), 0x1E, 9)}}), 0x80},
        {"off the 16-byte grid", ImageWith({{0x108, EntryPoint(2, 7, 10, 0)}}), none},
        {"anchor only", ImageWith({{0x40, Bytes{'_', 'S', 'M', '_', 0, 0, 3, 0}}}, 0x100), none},
        // A length byte of 0 sums to 0 over no bytes; such a candidate holds no table fields.
        {"length zero", ImageWith({{0x40, EntryPoint(2, 7, 0, 0, 0)}}, 0x100), none},
        {"length below the table address", ImageWith({{0x40, EntryPoint(2, 7, 0, 0, 0x1B)}}), none},
        {"length covering the table address", ImageWith({{0x40, EntryPoint(2, 7, 0, 0, 0x1C)}}), 0x40},
        {"length past the image", ImageWith({{0x20, EntryPoint(2, 7, 3, 0)}}, 0x20 + 0x1E), none},
        {"length up to the image end", ImageWith({{0x20, EntryPoint(2, 7, 3, 0)}}, 0x20 + 0x1F), 0x20},
        {"empty image", Bytes{}, none},
        {"shorter than the anchor", Bytes{'_', 'S', 'M'}, none},
        // The last boundary of the scanned range holds only 16 bytes.
        {"anchor at the last boundary", ImageWith({{0xFFF0, Bytes{'_', 'S', 'M', '_', 0, 0x10, 2, 7}}}), none},
    };
    // clang-format on
    for (const Case& c : cases) {
        const std::optional<SmbiosEntryPoint> found = FindSmbiosEntryPoint(c.image);
        EXPECT_EQ(found ? std::optional(found->offset) : none, c.foundAt) << c.name;
    }
}

TEST(SmbiosStructureWalk, FindsTheIndexthStructureOfATypeWithItsStrings) {
    const Bytes table =
        Concat({Structure(0, 0x10, {1, 2}, {"bios"}), Structure(7, 0x11, {9}, {"L1", "L2"}),
                Structure(0, 0x12, {3, 4, 5}, {"second", "\xC4rger"}), Structure(4, 1, {0}, {}),
                Structure(5, 2, {}, {"after"}), EndOfTable(0x13)});
    const std::optional<SmbiosStructure> second = FindStructure(table, 0, 1, 255);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->formatted, (Bytes{0, 7, 0x12, 0, 3, 4, 5}));
    EXPECT_EQ(second->strings, (std::vector<std::string>{"", "second", "\xC4rger"}));
    EXPECT_FALSE(FindStructure(table, 0, 2, 255));
    EXPECT_FALSE(FindStructure(table, 9, 0, 255));
    // The two NULs of an empty set end it: the next structure follows them.
    EXPECT_EQ(FindStructure(table, 4, 0, 40)->strings, std::vector<std::string>{""});
    EXPECT_EQ(FindStructure(table, 5, 0, 40)->strings, (std::vector<std::string>{"", "after"}));
    EXPECT_EQ(FindStructure(table, 127, 0, 255)->strings, std::vector<std::string>{""});
    // At most the given length of the formatted area is copied.
    EXPECT_EQ(FindStructure(table, 7, 0, 3)->formatted, (Bytes{7, 5, 0x11}));
    EXPECT_EQ(FindStructure(table, 7, 0, 200)->formatted.size(), 5u);
    EXPECT_TRUE(FindStructure(table, 7, 0, 0)->formatted.empty());
    // A lone NUL right after the formatted area, then text: an empty list, while the
    // structure still ends at the NUL pair.
    Bytes loneNul = {8, 4, 1, 0, 0, 'a', 'b', 0, 0};
    Append(loneNul, Structure(9, 2, {}, {"next"}));
    EXPECT_EQ(FindStructure(loneNul, 8, 0, 4)->strings, std::vector<std::string>{""});
    EXPECT_EQ(FindStructure(loneNul, 9, 0, 4)->strings, (std::vector<std::string>{"", "next"}));
    EXPECT_FALSE(FindStructure({}, 0, 0, 40));
    EXPECT_FALSE(FindOemProcessor({}, 0));
}

// The walk stops at a malformed structure: what came before is found, what follows (even
// if well formed) is not, and the walk ends.
TEST(SmbiosStructureWalk, AMalformedStructureStopsTheWalkAndKeepsWhatWasFound) {
    const Bytes malformed[] = {
        {6, 0, 3, 0, 0, 0},
        {6, 3, 3, 0, 0, 0},                // length below the header
        {200, 0x30, 3, 0, 1, 2, 3, 0, 0},  // formatted area past the end
        {200, 4, 3, 0, 'a', 'b', 0},
        {200, 6, 3, 0, 1, 2},
        {200, 4, 3, 0, 0},  // no double NUL
        {200, 4, 3},
        {200},  // header cut short
    };
    for (const Bytes& bad : malformed) {
        Bytes table = Concat({Structure(4, 1, {0}, {"CPU 1"}), Structure(5, 2, {7}, {}), bad});
        if (bad.size() >= 2 && bad[1] < 4) Append(table, Structure(6, 3, {}, {"late"}));
        SmbiosStructureWalker walker(table);
        std::vector<std::uint8_t> types;
        for (int guard = 0; guard < 100; ++guard) {
            const std::optional<SmbiosStructureView> next = walker.Next();
            if (!next) break;
            types.push_back(next->Type());
        }
        EXPECT_EQ(types, (std::vector<std::uint8_t>{4, 5})) << bad.size();
        EXPECT_FALSE(walker.Next());
        EXPECT_FALSE(FindStructure(table, 6, 0, 40));
        EXPECT_FALSE(FindStructure(table, 200, 0, 40));
        EXPECT_EQ(CollectProcessorStructures(table).size(), 1u);
    }
    Bytes padded = Concat({Structure(4, 1, {0}, {}), EndOfTable(2)});
    padded.resize(padded.size() + 64, 0);  // trailing zeros end the walk quietly
    SmbiosStructureWalker walker(padded);
    ASSERT_TRUE(walker.Next());
    ASSERT_TRUE(walker.Next());
    EXPECT_FALSE(walker.Next());
}

TEST(ProcessorStructures, EveryType4InTableOrderWith40BytesAndItsStrings) {
    const Bytes table = Concat({Processor(0x0400, 1, kPopulated, {"CPU 1", "Intel"}),
                                Structure(7, 0x0700, {1}, {"L1"}),
                                Processor(0x0401, 1, kEmpty, {"CPU 2"}), EndOfTable(0x7F00)});
    const std::vector<ProcessorStructure> processors = CollectProcessorStructures(table);
    ASSERT_EQ(processors.size(), 2u);
    EXPECT_EQ(processors[1].Handle(), 0x0401);
    EXPECT_TRUE(processors[0].Populated());
    EXPECT_FALSE(processors[1].Populated());
    EXPECT_EQ(processors[0].SocketDesignationNumber(), 1);
    EXPECT_EQ(GetSocketString(2, processors[0].strings), "Intel");
    for (const std::uint8_t number : std::vector<std::uint8_t>{0, 3, 255})
        EXPECT_EQ(GetSocketString(number, processors[0].strings), "");
    EXPECT_EQ(GetSocketString(1, {}), "");
    // A 42-byte structure: bytes 40 and 41 are not copied, the rest are.
    const Bytes whole = Processor(0x0400, 1, kPopulated, {"CPU 1", "Intel"});
    EXPECT_TRUE(std::equal(processors[0].bytes.begin(), processors[0].bytes.end(), whole.begin()));

    // Length 0x18 ends just before the status byte; its first string starts with 'A' (0x41,
    // the populated bit), which must not be taken for the status.
    Bytes body(0x18 - 4, 0);
    body[0] = 1;
    const std::vector<ProcessorStructure> shortOne =
        CollectProcessorStructures(Structure(4, 0x22, body, {"AM2"}));
    ASSERT_EQ(shortOne.size(), 1u);
    EXPECT_FALSE(shortOne[0].Populated());
    for (std::size_t i = 0x18; i < shortOne[0].bytes.size(); ++i)
        EXPECT_EQ(shortOne[0].bytes[i], 0) << i;
    EXPECT_EQ(GetSocketString(shortOne[0].SocketDesignationNumber(), shortOne[0].strings), "AM2");
}

TEST(OemProcessor, FindsTheFirstRecordOfTheSocketsHandle) {
    const Bytes table =
        Concat({OemProcessor(0x0401, 0x20, 2, 1), Structure(197, 0x99, {}, {}),
                OemProcessor(0x0400, 0x00, 1, 0xFF), OemProcessor(0x0400, 0x07, 9, 9)});
    const std::optional<OemProcessorBytes> socket0 = FindOemProcessor(table, 0x0400);
    ASSERT_TRUE(socket0);
    EXPECT_EQ((*socket0)[kOemApicIdOffset], 0x00);
    EXPECT_EQ((*socket0)[kOemSlotOffset], 1);
    EXPECT_EQ((*socket0)[kOemProcOffset], 0xFF);
    EXPECT_EQ((*FindOemProcessor(table, 0x0401))[kOemApicIdOffset], 0x20);
    EXPECT_FALSE(FindOemProcessor(table, 0x0402));
    EXPECT_FALSE(FindOemProcessor(table, 0xC500));  // the record's own handle is not the socket's
    // A 4-byte record would read handle 0 from zero fill; it must not match socket 0.
    const Bytes shortRecords =
        Concat({Structure(197, 0x50, {}, {}), Structure(197, 0x51, {0, 0, 5}, {})});
    const std::optional<OemProcessorBytes> found = FindOemProcessor(shortRecords, 0);
    ASSERT_TRUE(found);
    EXPECT_EQ((*found)[2], 0x51);
    EXPECT_EQ((*found)[kOemApicIdOffset], 5);
    EXPECT_EQ((*found)[kOemProcOffset], 0);  // zero filled
    Bytes lookalike = OemProcessor(0x0400, 1, 1, 1);
    lookalike[0] = 196;
    EXPECT_FALSE(FindOemProcessor(lookalike, 0x0400));
}

// Real tables, as tests/data/core/smbios_dumps.txt says: for dmidecode --dump-bin files
// (entry point at 0, table at 0x20) the answers were checked against dmidecode 3.2's own
// decoding beside them (tests/data/smbios/uroot/*.txt), for the raw tables against the
// facts their project decodes (tests/data/smbios/sidero/*.json).
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
                      entryPoint->Version() >> 8u, entryPoint->Version() & 0xFFu, entryPoint->offset,
                      unsigned{entryPoint->TableLength()}, unsigned{entryPoint->TableAddress()});
        answer = text;
        if (entryPoint->TableAddress() == tableStart && tableStart + entryPoint->TableLength() <= dump.size())
            table = table.first(entryPoint->TableLength());
    }
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
    std::snprintf(text, sizeof text, "; %zu structures ending %zu bytes before the end:", count,
                  table.size() - end);
    answer += text + structures + "; processors";
    for (const ProcessorStructure& processor : CollectProcessorStructures(table)) {
        std::snprintf(text, sizeof text, " %04X \"%s\" status %02X%s", unsigned{processor.Handle()},
                      GetSocketString(processor.SocketDesignationNumber(), processor.strings).c_str(),
                      unsigned{processor.bytes[kProcessorStatusOffset]},
                      processor.Populated() ? " populated" : "");
        answer += text;
        for (std::size_t b = processor.bytes[1]; b < kProcessorCopyLength; ++b)
            EXPECT_EQ(processor.bytes[b], 0) << b;
        EXPECT_FALSE(FindOemProcessor(table, processor.Handle()));  // these tables carry none
    }
    return answer;
}

TEST(DumpedTables, AgreeWithTheirDecoding) {
    test::ExpectCases("smbios_dumps.txt", Dumped);
}

}  // namespace
}  // namespace norv
