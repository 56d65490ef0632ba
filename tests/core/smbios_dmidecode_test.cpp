// The structure walk against dmidecode, run on every real table of tests/data/smbios: each
// structure's handle, type, length, formatted bytes and strings, in table order, must be what
// `dmidecode -u --from-dump` shows of the same file. dmidecode is installed by
// scripts/setup.sh, so a machine without it fails here rather than skipping the comparison.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <span>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/smbios_entry_point.h"
#include "platform/smbios_table.h"
#include "smbios_test_tables.h"

namespace norv {
namespace {

using smbios_test::Bytes;
namespace fs = std::filesystem;

const fs::path kDumpFolder = fs::path(NORV_TEST_DATA_DIR) / "smbios";

// A structure as dmidecode's raw output (-u) shows it.
struct ShownStructure {
    unsigned handle = 0, type = 0, length = 0;
    Bytes formatted;                   // "Header and Data"
    std::vector<std::string> strings;  // "Strings", each without its NUL

    bool operator==(const ShownStructure&) const = default;
};

std::string Render(const std::optional<ShownStructure>& shown) {
    if (!shown) return "(no structure)";
    char header[64];
    std::snprintf(header, sizeof header, "Handle 0x%04X, DMI type %u, %u bytes: ", shown->handle,
                  shown->type, shown->length);
    std::string text = header + smbios_test::HexText(shown->formatted);
    for (const std::string& string : shown->strings) text += " \"" + string + "\"";
    return text;
}

// Each structure is a "Handle" line, then its formatted bytes as hex lines, then, when it has
// strings, each string as hex lines ending with its NUL, followed by a line of its text.
std::vector<ShownStructure> ParseDmidecode(std::istream& output) {
    std::vector<ShownStructure> structures;
    bool inStrings = false, textLineNext = false;
    std::string pending;
    for (std::string line; std::getline(output, line);) {
        ShownStructure next;
        if (std::sscanf(line.c_str(), "Handle 0x%4X, DMI type %u, %u bytes", &next.handle,
                        &next.type, &next.length) == 3) {
            structures.push_back(next);
            inStrings = false;
            continue;
        }
        if (structures.empty() || line.empty() || line == "\tHeader and Data:") continue;
        if (line == "\tStrings:") {
            inStrings = true;
            continue;
        }
        if (textLineNext) {  // a string's text, which its hex already gave
            textLineNext = false;
            continue;
        }
        std::istringstream hex(line);
        for (unsigned byte = 0; hex >> std::hex >> byte;) {
            if (!inStrings) {
                structures.back().formatted.push_back(static_cast<std::uint8_t>(byte));
            } else if (byte != 0) {
                pending += static_cast<char>(byte);
            } else {
                structures.back().strings.push_back(pending);
                pending.clear();
                textLineNext = true;
            }
        }
    }
    return structures;
}

// The dmidecode found when the build was configured, else the one on PATH.
std::string Dmidecode() {
    const std::string configured = NORV_DMIDECODE;
    return access(configured.c_str(), X_OK) == 0 ? configured : "dmidecode";
}

// A bare table (as the kernel's DMI file holds it) gets the SMBIOS 3 entry point of
// dmidecode's own dumps, so that both readers are given one file.
constexpr std::size_t kDumpTableOffset = 0x20;
constexpr std::size_t kEntryPoint3Length = 0x18;
constexpr std::size_t kEntryPoint3SizeOffset = 0x0C;     // 32-bit table maximum size
constexpr std::size_t kEntryPoint3AddressOffset = 0x10;  // 64-bit table address

bool StartsWith(const Bytes& bytes, std::string_view anchor) {
    return bytes.size() >= anchor.size() && std::equal(anchor.begin(), anchor.end(), bytes.begin());
}

Bytes WithEntryPoint3(const Bytes& table) {
    Bytes dump(kDumpTableOffset, 0);
    std::copy_n("_SM3_", 5, dump.begin());
    dump[6] = kEntryPoint3Length;
    dump[7] = 3;  // 3.3, the version the bare tables' project assumes
    dump[8] = 3;
    dump[0x0A] = 1;  // the entry-point revision dmidecode knows
    for (std::size_t i = 0; i < 4; ++i) {
        dump[kEntryPoint3SizeOffset + i] = static_cast<std::uint8_t>(table.size() >> (8 * i));
        dump[kEntryPoint3AddressOffset + i] =
            static_cast<std::uint8_t>(kDumpTableOffset >> (8 * i));
    }
    unsigned sum = 0;
    for (std::size_t i = 0; i < kEntryPoint3Length; ++i) sum += dump[i];
    dump[5] = static_cast<std::uint8_t>(0x100 - (sum & 0xFF));
    dump.insert(dump.end(), table.begin(), table.end());
    return dump;
}

// The table where a dump's entry point at offset 0 places it.
std::span<const std::uint8_t> TableOfDump(const Bytes& dump) {
    std::uint64_t address = 0, length = 0;
    if (StartsWith(dump, "_SM3_") && dump.size() >= kDumpTableOffset) {
        for (std::size_t i = 8; i-- > 0;)
            address = address << 8 | dump[kEntryPoint3AddressOffset + i];
        for (std::size_t i = 4; i-- > 0;) length = length << 8 | dump[kEntryPoint3SizeOffset + i];
    } else if (const std::optional<SmbiosEntryPoint> found = FindSmbiosEntryPoint(dump);
               found && found->offset == 0) {
        address = found->TableAddress();
        length = found->TableLength();
    }
    if (address >= dump.size()) return {};
    return std::span(dump).subspan(address, std::min(length, dump.size() - address));
}

// What dmidecode would show of a structure the walk found. dmidecode takes a 16-byte type-34
// structure whose last five bytes are printable for an 11-byte one (a mistake of some
// firmware), so those bytes begin its first string.
constexpr std::uint8_t kManagementDeviceType = 34;
constexpr std::size_t kMistakenLength = 16, kRepairedLength = 11;

ShownStructure AsDmidecodeShows(const SmbiosStructureView& view) {
    ShownStructure shown{view.Handle(), view.Type(), static_cast<unsigned>(view.formatted.size()),
                         Bytes(view.formatted.begin(), view.formatted.end()), view.Strings()};
    shown.strings.erase(shown.strings.begin());
    if (view.Type() != kManagementDeviceType || view.formatted.size() != kMistakenLength)
        return shown;
    const auto tail = view.formatted.subspan(kRepairedLength);
    if (!std::all_of(tail.begin(), tail.end(), [](std::uint8_t c) { return c >= 32 && c < 127; }))
        return shown;
    shown.formatted.resize(kRepairedLength);
    if (shown.strings.empty()) shown.strings.emplace_back();
    shown.strings.front().insert(0, std::string(tail.begin(), tail.end()));
    return shown;
}

std::vector<std::string> DumpNames() {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(kDumpFolder))
        if (entry.path().extension() == ".bin" || entry.path().extension() == ".dmi")
            names.push_back(fs::relative(entry.path(), kDumpFolder).generic_string());
    std::sort(names.begin(), names.end());
    return names;
}

class SmbiosWalkBesideDmidecode : public ::testing::TestWithParam<std::string> {};

TEST_P(SmbiosWalkBesideDmidecode, ShowsEveryStructureAlike) {
    const std::string dmidecode = Dmidecode();
    fs::path file = kDumpFolder / GetParam();
    Bytes dump = smbios_test::ReadFile(file.string());
    ASSERT_FALSE(dump.empty()) << file;
    const bool bare = !StartsWith(dump, "_SM_") && !StartsWith(dump, "_SM3_");
    if (bare) {
        dump = WithEntryPoint3(dump);
        file = fs::temp_directory_path() /
               ("norv-" + file.stem().string() + "-" + std::to_string(getpid()) + ".bin");
        std::FILE* out = std::fopen(file.c_str(), "wb");
        ASSERT_TRUE(out) << file;
        std::fwrite(dump.data(), 1, dump.size(), out);
        std::fclose(out);
    }
    std::FILE* pipe =
        popen(("'" + dmidecode + "' -u --from-dump '" + file.string() + "'").c_str(), "r");
    ASSERT_TRUE(pipe);
    std::string text;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        text.append(buffer, got);
    const int status = pclose(pipe);
    if (bare) fs::remove(file);
    ASSERT_EQ(status, 0) << dmidecode << " on " << file << " (scripts/setup.sh installs it)";
    std::istringstream output(text);
    const std::vector<ShownStructure> expected = ParseDmidecode(output);

    std::vector<ShownStructure> walked;
    SmbiosStructureWalker walker(TableOfDump(dump));
    while (const std::optional<SmbiosStructureView> next = walker.Next())
        walked.push_back(AsDmidecodeShows(*next));
    ASSERT_FALSE(expected.empty()) << text;
    for (std::size_t i = 0; i < std::max(expected.size(), walked.size()); ++i) {
        const auto at = [i](const std::vector<ShownStructure>& list) {
            return i < list.size() ? std::optional(list[i]) : std::nullopt;
        };
        if (at(expected) == at(walked)) continue;
        FAIL() << "structure " << i << " of " << expected.size()
               << "\n  dmidecode: " << Render(at(expected))
               << "\n  our walk:  " << Render(at(walked));
    }
}

INSTANTIATE_TEST_SUITE_P(RealTables, SmbiosWalkBesideDmidecode, ::testing::ValuesIn(DumpNames()),
                         [](const ::testing::TestParamInfo<std::string>& dump) {
                             std::string name = dump.param;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

}  // namespace
}  // namespace norv
