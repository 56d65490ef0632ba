#include "platform/smbios_entry_point.h"

#include <algorithm>
#include <numeric>

namespace norv {
namespace {

std::uint32_t ReadLittleEndian(std::span<const std::uint8_t> bytes) {
    std::uint32_t value = 0;
    for (std::size_t i = bytes.size(); i-- > 0;) value = (value << 8) | bytes[i];
    return value;
}

bool HasAnchor(std::span<const std::uint8_t> candidate) {
    return std::equal(kSmbiosAnchor.begin(), kSmbiosAnchor.end(), candidate.begin(),
                      [](char expected, std::uint8_t byte) {
                          return static_cast<std::uint8_t>(expected) == byte;
                      });
}

bool ChecksumIsZero(std::span<const std::uint8_t> bytes) {
    const unsigned sum = std::accumulate(bytes.begin(), bytes.end(), 0u);
    return (sum & 0xFFu) == 0;
}

}  // namespace

std::uint16_t SmbiosEntryPoint::Version() const {
    return static_cast<std::uint16_t>(bytes[kMajorVersionOffset] << 8 | bytes[kMinorVersionOffset]);
}

std::uint16_t SmbiosEntryPoint::TableLength() const {
    return static_cast<std::uint16_t>(
        ReadLittleEndian(std::span(bytes).subspan(kTableLengthOffset, 2)));
}

std::uint32_t SmbiosEntryPoint::TableAddress() const {
    return ReadLittleEndian(std::span(bytes).subspan(kTableAddressOffset, 4));
}

std::optional<SmbiosEntryPoint> FindSmbiosEntryPoint(std::span<const std::uint8_t> image) {
    for (std::size_t offset = 0;
         offset < image.size() && image.size() - offset >= kSmbiosAnchor.size();
         offset += kSmbiosAnchorAlignment) {
        const std::span<const std::uint8_t> rest = image.subspan(offset);
        if (!HasAnchor(rest) || rest.size() <= kEntryPointLengthOffset) continue;
        const std::size_t length = rest[kEntryPointLengthOffset];
        if (length < kMinimumEntryPointLength || length > rest.size()) continue;
        if (!ChecksumIsZero(rest.first(length))) continue;
        // The copy is zero-filled where the image ends before 31 bytes; the fields read
        // from it lie within the entry point's own length.
        SmbiosEntryPoint found;
        found.offset = offset;
        std::copy_n(rest.begin(), std::min(kEntryPointCopyLength, rest.size()),
                    found.bytes.begin());
        if (found.Version() < kMinimumSmbiosVersion) continue;
        return found;
    }
    return std::nullopt;
}

}  // namespace norv
