#include "platform/smbios_table.h"

#include <algorithm>

namespace norv {
namespace {

std::uint16_t ReadUInt16(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

}  // namespace

std::uint16_t SmbiosStructureView::Handle() const {
    return ReadUInt16(formatted, kStructureHandleOffset);
}

std::vector<std::string> SmbiosStructureView::Strings() const {
    // The list ends at the first empty string; without a NUL pair inside the set, that can
    // only be a set that starts with a lone NUL.
    std::vector<std::string> strings(1);
    auto start = stringSet.begin();
    while (start != stringSet.end() && *start != 0) {
        const auto end = std::find(start, stringSet.end(), std::uint8_t{0});
        strings.emplace_back(start, end);
        start = end == stringSet.end() ? end : end + 1;
    }
    return strings;
}

std::optional<SmbiosStructureView> SmbiosStructureWalker::Next() {
    const std::size_t start = position_;
    if (start >= table_.size() || table_.size() - start < kStructureHeaderLength) {
        position_ = table_.size();
        return std::nullopt;
    }
    const std::span<const std::uint8_t> rest = table_.subspan(start);
    const std::size_t length = rest[kStructureLengthOffset];
    if (length < kStructureHeaderLength || length > rest.size()) {
        position_ = table_.size();
        return std::nullopt;
    }
    // The string set ends at the first pair of NULs after the formatted area; an empty set
    // is the pair alone.
    const std::span<const std::uint8_t> set = rest.subspan(length);
    const std::uint8_t pair[] = {0, 0};
    const auto terminator = std::search(set.begin(), set.end(), std::begin(pair), std::end(pair));
    if (terminator == set.end()) {
        position_ = table_.size();
        return std::nullopt;
    }
    const auto setLength = static_cast<std::size_t>(terminator - set.begin());
    position_ = start + length + setLength + sizeof pair;
    return SmbiosStructureView{rest.first(length), set.first(setLength)};
}

std::optional<SmbiosStructure> FindStructure(std::span<const std::uint8_t> table, std::uint8_t type,
                                             std::size_t index, std::uint8_t copyLength) {
    SmbiosStructureWalker walker(table);
    while (std::optional<SmbiosStructureView> structure = walker.Next()) {
        if (structure->Type() != type) continue;
        if (index-- > 0) continue;
        const std::size_t copied = std::min<std::size_t>(structure->formatted.size(), copyLength);
        const auto formatted = structure->formatted.first(copied);
        return SmbiosStructure{{formatted.begin(), formatted.end()}, structure->Strings()};
    }
    return std::nullopt;
}

std::uint16_t ProcessorStructure::Handle() const {
    return ReadUInt16(bytes, kStructureHandleOffset);
}

std::vector<ProcessorStructure> CollectProcessorStructures(std::span<const std::uint8_t> table) {
    std::vector<ProcessorStructure> processors;
    SmbiosStructureWalker walker(table);
    while (std::optional<SmbiosStructureView> structure = walker.Next()) {
        if (structure->Type() != kProcessorStructureType) continue;
        ProcessorStructure& processor = processors.emplace_back();
        const std::size_t copied =
            std::min<std::size_t>(structure->formatted.size(), processor.bytes.size());
        std::copy_n(structure->formatted.begin(), copied, processor.bytes.begin());
        processor.strings = structure->Strings();
    }
    return processors;
}

std::optional<OemProcessorBytes> FindOemProcessor(std::span<const std::uint8_t> table,
                                                  std::uint16_t handle) {
    SmbiosStructureWalker walker(table);
    while (std::optional<SmbiosStructureView> structure = walker.Next()) {
        const std::span<const std::uint8_t> formatted = structure->formatted;
        if (structure->Type() != kOemProcessorStructureType ||
            formatted.size() < kOemProcessorHandleOffset + 2 ||
            ReadUInt16(formatted, kOemProcessorHandleOffset) != handle)
            continue;
        OemProcessorBytes bytes{};
        std::copy_n(formatted.begin(), std::min(formatted.size(), bytes.size()), bytes.begin());
        return bytes;
    }
    return std::nullopt;
}

std::string GetSocketString(std::uint8_t number, const std::vector<std::string>& strings) {
    if (number == 0 || number >= strings.size()) return {};
    return strings[number];
}

}  // namespace norv
