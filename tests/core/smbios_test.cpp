#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/smbios_entry_point.h"
#include "platform/smbios_table.h"
#include "smbios_test_tables.h"

namespace norv {
namespace {

using namespace smbios_test;

TEST(SmbiosEntryPoint, ReadsVersionTableLengthAndAddress) {
    const Bytes image = ImageWith({{0x5A0, EntryPoint(2, 7, 0x1217, 0x000EB3A0)}});
    const std::optional<SmbiosEntryPoint> found = FindSmbiosEntryPoint(image);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->offset, 0x5A0u);
    EXPECT_EQ(found->Version(), 0x0207);
    EXPECT_EQ(found->TableLength(), 0x1217);
    EXPECT_EQ(found->TableAddress(), 0x000EB3A0u);
    EXPECT_EQ(Bytes(found->bytes.begin(), found->bytes.end()),
              EntryPoint(2, 7, 0x1217, 0x000EB3A0));
}

struct ScanCase {
    const char* name;
    Bytes image;
    std::optional<std::size_t> foundAt;
};

class EntryPointScan : public ::testing::TestWithParam<ScanCase> {};

TEST_P(EntryPointScan, AcceptsOnlyValidCandidates) {
    const std::optional<SmbiosEntryPoint> found = FindSmbiosEntryPoint(GetParam().image);
    ASSERT_EQ(found.has_value(), GetParam().foundAt.has_value());
    if (found) {
        EXPECT_EQ(found->offset, *GetParam().foundAt);
    }
}

const ScanCase kScanCases[] = {
    {"FirstOfTwoValid",
     ImageWith({{0x100, EntryPoint(2, 4, 10, 0)}, {0x200, EntryPoint(2, 4, 10, 0)}}), 0x100},
    {"Version20SkippedScanGoesOn",
     ImageWith({{0x100, EntryPoint(2, 0, 10, 0)}, {0x130, EntryPoint(2, 1, 10, 0)}}), 0x130},
    {"Version21IsEnough", ImageWith({{0x40, EntryPoint(2, 1, 10, 0)}}), 0x40},
    {"Version3Accepted", ImageWith({{0x40, EntryPoint(3, 0, 10, 0)}}), 0x40},
    {"Version1_9Skipped", ImageWith({{0x40, EntryPoint(1, 9, 10, 0)}}), std::nullopt},
    {"BadChecksumSkipped",
     ImageWith(
         {{0x100, WithByte(EntryPoint(2, 7, 10, 0), 0x16, 11)}, {0x300, EntryPoint(2, 7, 10, 0)}}),
     0x300},
    // The checksum covers the entry-point length only: a byte beyond it does not matter.
    {"ByteBeyondLengthIgnored",
     ImageWith({{0x80, WithByte(EntryPoint(2, 7, 10, 0, 0x1E), 0x1E, 9)}}), 0x80},
    {"OffBoundarySkipped", ImageWith({{0x108, EntryPoint(2, 7, 10, 0)}}), std::nullopt},
    {"NoAnchor", ImageWith({}), std::nullopt},
    {"AnchorOnly", ImageWith({{0x40, Bytes{'_', 'S', 'M', '_', 0, 0, 3, 0}}}, 0x100), std::nullopt},
    // A length byte of 0 sums to 0 over no bytes; such a candidate holds no table fields.
    {"LengthZeroRejected", ImageWith({{0x40, EntryPoint(2, 7, 0, 0, 0)}}, 0x100), std::nullopt},
    {"LengthBelowTableAddressRejected", ImageWith({{0x40, EntryPoint(2, 7, 0, 0, 0x1B)}}),
     std::nullopt},
    {"LengthCoveringTableAddressAccepted", ImageWith({{0x40, EntryPoint(2, 7, 0, 0, 0x1C)}}), 0x40},
    // The length runs past the end of the image.
    {"LengthPastImageRejected", ImageWith({{0x20, EntryPoint(2, 7, 3, 0)}}, 0x20 + 0x1E),
     std::nullopt},
    {"LengthUpToImageEndAccepted", ImageWith({{0x20, EntryPoint(2, 7, 3, 0)}}, 0x20 + 0x1F), 0x20},
    {"EmptyImage", Bytes{}, std::nullopt},
    {"ShorterThanAnchor", Bytes{'_', 'S', 'M'}, std::nullopt},
    // The last boundary of the scanned range holds only 16 bytes.
    {"AnchorAtLastBoundary", ImageWith({{0xFFF0, Bytes{'_', 'S', 'M', '_', 0, 0x10, 2, 7}}}),
     std::nullopt},
};

INSTANTIATE_TEST_SUITE_P(Cases, EntryPointScan, ::testing::ValuesIn(kScanCases),
                         [](const auto& tested) { return std::string(tested.param.name); });

TEST(SmbiosEntryPoint, CopyBeyondTheImageIsZero) {
    // 0x1C bytes is enough to be accepted; the rest of the 31-byte copy lies outside.
    const Bytes image = ImageWith({{0x10, EntryPoint(2, 7, 0x40, 0x1234, 0x1C)}}, 0x10 + 0x1C);
    const std::optional<SmbiosEntryPoint> found = FindSmbiosEntryPoint(image);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->TableAddress(), 0x1234u);
    EXPECT_EQ(found->bytes[0x1C], 0);
    EXPECT_EQ(found->bytes[0x1E], 0);
}

// Structure walk over constructed tables.

TEST(SmbiosStructureWalk, FindsTheIndexthStructureOfAType) {
    const Bytes table =
        Concat({Structure(0, 0x10, {1, 2}, {"bios"}), Structure(7, 0x11, {9}, {"L1", "L2"}),
                Structure(0, 0x12, {3, 4, 5}, {"second", "strings"}), EndOfTable(0x13)});
    const std::optional<SmbiosStructure> second = FindStructure(table, 0, 1, 255);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->formatted, (Bytes{0, 7, 0x12, 0, 3, 4, 5}));
    EXPECT_EQ(second->strings, (std::vector<std::string>{"", "second", "strings"}));
    EXPECT_FALSE(FindStructure(table, 0, 2, 255));
    EXPECT_FALSE(FindStructure(table, 4, 0, 255));
    const std::optional<SmbiosStructure> end = FindStructure(table, 127, 0, 255);
    ASSERT_TRUE(end);
    EXPECT_EQ(end->strings, std::vector<std::string>{""});
}

TEST(SmbiosStructureWalk, CopiesAtMostTheGivenLength) {
    const Bytes table = Concat({Structure(9, 1, {1, 2, 3, 4, 5, 6}, {"x"})});
    EXPECT_EQ(FindStructure(table, 9, 0, 5)->formatted, (Bytes{9, 10, 1, 0, 1}));
    EXPECT_EQ(FindStructure(table, 9, 0, 10)->formatted.size(), 10u);
    EXPECT_EQ(FindStructure(table, 9, 0, 200)->formatted.size(), 10u);
    EXPECT_TRUE(FindStructure(table, 9, 0, 0)->formatted.empty());
    EXPECT_EQ(FindStructure(table, 9, 0, 0)->strings, (std::vector<std::string>{"", "x"}));
}

TEST(SmbiosStructureWalk, EmptyStringSetGivesOnlyTheEmptyString) {
    const Bytes table = Concat({Structure(4, 1, {0}, {}), Structure(5, 2, {}, {"after"})});
    EXPECT_EQ(FindStructure(table, 4, 0, 40)->strings, std::vector<std::string>{""});
    // The two NULs of the empty set end it: the next structure follows them.
    EXPECT_EQ(FindStructure(table, 5, 0, 40)->strings, (std::vector<std::string>{"", "after"}));
}

TEST(SmbiosStructureWalk, StringListEndsAtTheFirstEmptyString) {
    // A lone NUL right after the formatted area, then text: an empty set as far as the list
    // goes, while the structure still ends at the NUL pair.
    Bytes table = {8, 4, 1, 0, 0, 'a', 'b', 0, 0};
    Append(table, Structure(9, 2, {}, {"next"}));
    EXPECT_EQ(FindStructure(table, 8, 0, 4)->strings, std::vector<std::string>{""});
    EXPECT_EQ(FindStructure(table, 9, 0, 4)->strings, (std::vector<std::string>{"", "next"}));
}

TEST(SmbiosStructureWalk, StringsWithNonAsciiBytesAreKept) {
    const Bytes table = Concat({Structure(11, 1, {}, {"\xC4rger", "a b"})});
    EXPECT_EQ(FindStructure(table, 11, 0, 4)->strings,
              (std::vector<std::string>{"", "\xC4rger", "a b"}));
}

struct MalformedCase {
    const char* name;
    Bytes bad;  // placed after two good structures; a type-6 structure follows it
};

class MalformedStructure : public ::testing::TestWithParam<MalformedCase> {};

// The walk stops at the malformed structure: what came before is found, what follows
// (even if well formed) is not, and the walk ends.
TEST_P(MalformedStructure, StopsTheWalkAndKeepsWhatWasFound) {
    Bytes table = Concat({Structure(4, 1, {0}, {"CPU 1"}), Structure(5, 2, {7}, {})});
    Append(table, GetParam().bad);
    const bool badRunsToEnd = GetParam().bad.size() < 2 || GetParam().bad[1] >= 4;
    if (!badRunsToEnd) Append(table, Structure(6, 3, {}, {"late"}));

    SmbiosStructureWalker walker(table);
    std::vector<std::uint8_t> types;
    for (int guard = 0; guard < 100; ++guard) {
        const std::optional<SmbiosStructureView> next = walker.Next();
        if (!next) break;
        types.push_back(next->Type());
    }
    EXPECT_EQ(types, (std::vector<std::uint8_t>{4, 5}));
    EXPECT_FALSE(walker.Next());
    EXPECT_TRUE(FindStructure(table, 5, 0, 40));
    EXPECT_FALSE(FindStructure(table, 6, 0, 40));
    EXPECT_FALSE(FindStructure(table, 200, 0, 40));
    EXPECT_EQ(CollectProcessorStructures(table).size(), 1u);
}

const MalformedCase kMalformedCases[] = {
    {"LengthZero", {6, 0, 3, 0, 0, 0}},
    {"LengthOne", {6, 1, 3, 0, 0, 0}},
    {"LengthThree", {6, 3, 3, 0, 0, 0}},
    // Formatted area longer than the rest of the table.
    {"FormattedPastEnd", {200, 0x30, 3, 0, 1, 2, 3, 0, 0}},
    // No double NUL before the end: strings end with one NUL only.
    {"MissingTerminator", {200, 4, 3, 0, 'a', 'b', 0}},
    {"NoStringSetAtAll", {200, 6, 3, 0, 1, 2}},
    {"SingleNulOnly", {200, 4, 3, 0, 0}},
    {"HeaderCutShort", {200, 4, 3}},
    {"OneByteLeft", {200}},
};

INSTANTIATE_TEST_SUITE_P(Cases, MalformedStructure, ::testing::ValuesIn(kMalformedCases),
                         [](const auto& tested) { return std::string(tested.param.name); });

TEST(SmbiosStructureWalk, TrailingZeroPaddingEndsTheWalkQuietly) {
    Bytes table = Concat({Structure(4, 1, {0}, {}), EndOfTable(2)});
    table.resize(table.size() + 64, 0);
    SmbiosStructureWalker walker(table);
    ASSERT_TRUE(walker.Next());
    ASSERT_TRUE(walker.Next());
    EXPECT_FALSE(walker.Next());
}

TEST(SmbiosStructureWalk, EmptyTableHasNoStructures) {
    EXPECT_FALSE(FindStructure({}, 0, 0, 40));
    EXPECT_TRUE(CollectProcessorStructures({}).empty());
    EXPECT_FALSE(FindOemProcessor({}, 0));
}

// Processor and OEM processor structures.

TEST(ProcessorStructures, CollectsEveryType4InTableOrderWith40Bytes) {
    const Bytes table = Concat({Processor(0x0400, 1, kPopulated, {"CPU 1", "Intel"}),
                                Structure(7, 0x0700, {1}, {"L1"}),
                                Processor(0x0401, 1, kEmpty, {"CPU 2"}), EndOfTable(0x7F00)});
    const std::vector<ProcessorStructure> processors = CollectProcessorStructures(table);
    ASSERT_EQ(processors.size(), 2u);
    EXPECT_EQ(processors[0].Handle(), 0x0400);
    EXPECT_EQ(processors[1].Handle(), 0x0401);
    EXPECT_TRUE(processors[0].Populated());
    EXPECT_FALSE(processors[1].Populated());
    EXPECT_EQ(processors[0].SocketDesignationNumber(), 1);
    EXPECT_EQ(GetSocketString(1, processors[0].strings), "CPU 1");
    EXPECT_EQ(GetSocketString(2, processors[0].strings), "Intel");
    EXPECT_EQ(GetSocketString(1, processors[1].strings), "CPU 2");
    // A 42-byte structure: bytes 40 and 41 are not copied, the rest are.
    const Bytes whole = Processor(0x0400, 1, kPopulated, {"CPU 1", "Intel"});
    EXPECT_TRUE(std::equal(processors[0].bytes.begin(), processors[0].bytes.end(), whole.begin()));
}

TEST(ProcessorStructures, FieldsBeyondAShortStructureReadAsZero) {
    // Length 0x18 ends just before the status byte; its first string starts with 'A'
    // (0x41, the populated bit), which must not be taken for the status.
    Bytes body(0x18 - 4, 0);
    body[0] = 1;
    const Bytes table = Concat({Structure(4, 0x22, body, {"AM2"})});
    const std::vector<ProcessorStructure> processors = CollectProcessorStructures(table);
    ASSERT_EQ(processors.size(), 1u);
    EXPECT_FALSE(processors[0].Populated());
    for (std::size_t i = 0x18; i < processors[0].bytes.size(); ++i)
        EXPECT_EQ(processors[0].bytes[i], 0) << i;
    EXPECT_EQ(GetSocketString(processors[0].SocketDesignationNumber(), processors[0].strings),
              "AM2");
}

TEST(ProcessorStructures, ALongerStructureIsCutTo40Bytes) {
    Bytes body(48 - 4, 0x33);
    body[0x18 - 4] = kPopulated;
    const Bytes table = Concat({Structure(4, 0x22, body, {})});
    const std::vector<ProcessorStructure> processors = CollectProcessorStructures(table);
    ASSERT_EQ(processors.size(), 1u);
    EXPECT_EQ(processors[0].bytes[39], 0x33);
    EXPECT_TRUE(processors[0].Populated());
}

TEST(SocketString, NumberZeroOrBeyondTheListIsEmpty) {
    const std::vector<std::string> strings = {"", "one", "two"};
    EXPECT_EQ(GetSocketString(0, strings), "");
    EXPECT_EQ(GetSocketString(1, strings), "one");
    EXPECT_EQ(GetSocketString(2, strings), "two");
    EXPECT_EQ(GetSocketString(3, strings), "");
    EXPECT_EQ(GetSocketString(255, strings), "");
    EXPECT_EQ(GetSocketString(1, {}), "");
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
    const std::optional<OemProcessorBytes> socket1 = FindOemProcessor(table, 0x0401);
    ASSERT_TRUE(socket1);
    EXPECT_EQ((*socket1)[kOemApicIdOffset], 0x20);
    EXPECT_EQ((*socket1)[0], 197);
    EXPECT_FALSE(FindOemProcessor(table, 0x0402));
    // The handle of the type-197 structure itself is not the socket's handle.
    EXPECT_FALSE(FindOemProcessor(table, 0xC500));
}

TEST(OemProcessor, AShortRecordBelongsToNoSocketAndTheCopyIsZeroFilled) {
    // A 4-byte record would read handle 0 from zero fill; it must not match socket 0.
    const Bytes table = Concat({Structure(197, 0x50, {}, {}), Structure(197, 0x51, {0, 0, 5}, {})});
    const std::optional<OemProcessorBytes> found = FindOemProcessor(table, 0);
    ASSERT_TRUE(found);
    EXPECT_EQ((*found)[2], 0x51);
    EXPECT_EQ((*found)[kOemApicIdOffset], 5);
    EXPECT_EQ((*found)[kOemSlotOffset], 0);
    EXPECT_EQ((*found)[kOemProcOffset], 0);
}

TEST(OemProcessor, OnlyType197Counts) {
    Bytes lookalike = OemProcessor(0x0400, 1, 1, 1);
    lookalike[0] = 196;
    EXPECT_FALSE(FindOemProcessor(lookalike, 0x0400));
}

// Real tables: dmidecode --dump-bin files (entry point at 0, table at 0x20) with
// dmidecode 3.2's own decoding beside them.

struct DecodedStructure {
    std::uint16_t handle = 0;
    unsigned type = 0;
    unsigned length = 0;
    std::string socketDesignation;  // type 4 only
    bool populated = false;         // type 4 only
};

struct Decoding {
    std::optional<std::uint16_t> version;   // "SMBIOS 2.7 present." for a 2.x entry point
    std::optional<unsigned> occupiedBytes;  // "N structures occupying M bytes."
    std::vector<DecodedStructure> structures;
};

std::string Trimmed(const std::string& text) {
    const std::size_t start = text.find_first_not_of(" \t");
    const std::size_t end = text.find_last_not_of(" \t\r");
    return start == std::string::npos ? std::string() : text.substr(start, end - start + 1);
}

Decoding ReadDecoding(const std::string& path) {
    std::ifstream file(path);
    EXPECT_TRUE(file) << path;
    Decoding decoding;
    std::string line;
    while (std::getline(file, line)) {
        unsigned handle = 0, type = 0, length = 0, major = 0, minor = 0, count = 0, bytes = 0;
        if (std::sscanf(line.c_str(), "Handle 0x%x, DMI type %u, %u bytes", &handle, &type,
                        &length) == 3) {
            decoding.structures.push_back(
                {static_cast<std::uint16_t>(handle), type, length, {}, {}});
        } else if (std::sscanf(line.c_str(), "SMBIOS %u.%u present.", &major, &minor) == 2 &&
                   major == 2) {
            decoding.version = static_cast<std::uint16_t>(major << 8 | minor);
        } else if (std::sscanf(line.c_str(), "%u structures occupying %u bytes.", &count, &bytes) ==
                   2) {
            decoding.occupiedBytes = bytes;
        } else if (!decoding.structures.empty() && decoding.structures.back().type == 4) {
            const std::string field = Trimmed(line);
            DecodedStructure& socket = decoding.structures.back();
            if (field.rfind("Socket Designation: ", 0) == 0) {
                socket.socketDesignation = field.substr(20);
                if (socket.socketDesignation == "Not Specified") socket.socketDesignation.clear();
            } else if (field.rfind("Status: ", 0) == 0) {
                socket.populated = field.rfind("Status: Populated", 0) == 0;
            }
        }
    }
    return decoding;
}

class DumpedTable : public ::testing::TestWithParam<const char*> {};

TEST_P(DumpedTable, WalkAgreesWithDmidecode) {
    const std::string base = std::string(NORV_TEST_DATA_DIR) + "/smbios/uroot/" + GetParam();
    const Bytes dump = ReadFile(base + ".bin");
    const Decoding decoding = ReadDecoding(base + ".dmidecode-3.2.txt");
    ASSERT_GT(dump.size(), 0x20u);
    ASSERT_FALSE(decoding.structures.empty());

    // A 2.x entry point is found at offset 0 and names the table; a 3.x-only dump
    // (anchor "_SM3_") has none, and its table is the rest of the file.
    const std::optional<SmbiosEntryPoint> entryPoint = FindSmbiosEntryPoint(dump);
    ASSERT_EQ(entryPoint.has_value(), decoding.version.has_value());
    std::span<const std::uint8_t> table = std::span(dump).subspan(0x20);
    if (entryPoint) {
        EXPECT_EQ(entryPoint->offset, 0u);
        EXPECT_EQ(entryPoint->Version(), *decoding.version);
        EXPECT_EQ(entryPoint->TableAddress(), 0x20u);
        ASSERT_TRUE(decoding.occupiedBytes);
        EXPECT_EQ(entryPoint->TableLength(), *decoding.occupiedBytes);
        ASSERT_LE(0x20u + entryPoint->TableLength(), dump.size());
        table = table.first(entryPoint->TableLength());
    }

    std::vector<DecodedStructure> walked;
    SmbiosStructureWalker walker(table);
    while (const std::optional<SmbiosStructureView> next = walker.Next())
        walked.push_back(
            {next->Handle(), next->Type(), static_cast<unsigned>(next->formatted.size()), {}, {}});
    ASSERT_EQ(walked.size(), decoding.structures.size());
    for (std::size_t i = 0; i < walked.size(); ++i) {
        EXPECT_EQ(walked[i].handle, decoding.structures[i].handle) << i;
        EXPECT_EQ(walked[i].type, decoding.structures[i].type) << i;
        EXPECT_EQ(walked[i].length, decoding.structures[i].length) << i;
    }

    std::vector<const DecodedStructure*> sockets;
    for (const DecodedStructure& structure : decoding.structures)
        if (structure.type == 4) sockets.push_back(&structure);
    const std::vector<ProcessorStructure> processors = CollectProcessorStructures(table);
    ASSERT_EQ(processors.size(), sockets.size());
    for (std::size_t i = 0; i < processors.size(); ++i) {
        EXPECT_EQ(processors[i].Handle(), sockets[i]->handle);
        EXPECT_EQ(GetSocketString(processors[i].SocketDesignationNumber(), processors[i].strings),
                  sockets[i]->socketDesignation);
        EXPECT_EQ(processors[i].Populated(), sockets[i]->populated);
        // Copied bytes beyond a structure shorter than 40 read as zero.
        for (std::size_t b = sockets[i]->length; b < kProcessorCopyLength; ++b)
            EXPECT_EQ(processors[i].bytes[b], 0) << b;
    }
    // These dumps carry no OEM processor records.
    for (const ProcessorStructure& processor : processors)
        EXPECT_FALSE(FindOemProcessor(table, processor.Handle()));
}

INSTANTIATE_TEST_SUITE_P(Uroot, DumpedTable,
                         ::testing::Values("Asus-UX307LA", "GigaByte-X399",
                                           "Gigabyte-GA-MA74GMT-S2", "Lenovo-ThinkPad-T480",
                                           "Lenovo-ThinkPad-W510", "MSI-MS-7816",
                                           "SuperMicro-X9DBL", "Synology-RS3614xsp"),
                         [](const auto& tested) {
                             std::string name = tested.param;
                             for (char& c : name)
                                 if (c == '-') c = '_';
                             return name;
                         });

// The same real table placed in a physical-memory image of the BIOS segment behind a decoy
// anchor with a bad checksum, as the driver path reads it.
TEST(DumpedTable, EntryPointFoundInABiosSegmentImage) {
    const Bytes dump = ReadFile(std::string(NORV_TEST_DATA_DIR) + "/smbios/uroot/MSI-MS-7816.bin");
    ASSERT_GE(dump.size(), 0x20u);
    Bytes decoy(dump.begin(), dump.begin() + 0x1F);
    decoy[0x10] ^= 1;
    const Bytes image =
        ImageWith({{0x0000, decoy}, {0xE1B0, Bytes(dump.begin(), dump.begin() + 0x1F)}});
    const std::optional<SmbiosEntryPoint> found = FindSmbiosEntryPoint(image);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->offset, 0xE1B0u);
    EXPECT_EQ(found->Version(), 0x0208);
    EXPECT_EQ(found->TableLength(), 3096);
}

// Raw structure tables (no entry point) with the facts their project decodes from them.
struct RawTableCase {
    const char* file;
    std::size_t structureCount;
    std::vector<std::pair<std::string, std::uint8_t>> sockets;  // designation, status byte
};

class RawTable : public ::testing::TestWithParam<RawTableCase> {};

TEST_P(RawTable, ProcessorsAgreeWithTheDecoding) {
    const Bytes table =
        ReadFile(std::string(NORV_TEST_DATA_DIR) + "/smbios/sidero/" + GetParam().file);
    ASSERT_FALSE(table.empty());
    EXPECT_FALSE(FindSmbiosEntryPoint(table));
    std::size_t count = 0;
    SmbiosStructureWalker walker(table);
    std::size_t lastEnd = 0;
    while (const std::optional<SmbiosStructureView> next = walker.Next()) {
        ++count;
        lastEnd = static_cast<std::size_t>(next->stringSet.data() - table.data()) +
                  next->stringSet.size();
    }
    EXPECT_EQ(count, GetParam().structureCount);
    EXPECT_EQ(lastEnd + 2, table.size());  // the end-of-table structure closes the file

    const std::vector<ProcessorStructure> processors = CollectProcessorStructures(table);
    ASSERT_EQ(processors.size(), GetParam().sockets.size());
    for (std::size_t i = 0; i < processors.size(); ++i) {
        EXPECT_EQ(GetSocketString(processors[i].SocketDesignationNumber(), processors[i].strings),
                  GetParam().sockets[i].first);
        EXPECT_EQ(processors[i].bytes[kProcessorStatusOffset], GetParam().sockets[i].second);
        EXPECT_EQ(processors[i].Populated(), (GetParam().sockets[i].second & 0x40) != 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sidero, RawTable,
    ::testing::Values(
        RawTableCase{"ASRock-Single-Ryzen.dmi", 28, {{"CPUSocket", 0x41}}},
        RawTableCase{"Dell-PowerEdge-R630-Dual-Xeon.dmi", 72, {{"CPU1", 0x41}, {"CPU2", 0x00}}},
        RawTableCase{"SuperMicro-Dual-Xeon.dmi", 149, {{"CPU 1", 0x41}, {"CPU 2", 0x41}}}),
    [](const auto& tested) {
        std::string name = tested.param.file;
        for (char& c : name)
            if (c == '-' || c == '.') c = '_';
        return name;
    });

}  // namespace
}  // namespace norv
