#include "platform/log_line.h"

#include <algorithm>
#include <cstdio>

namespace norv {

bool LogFilter::Passes(LogType type, std::int32_t messageLevel) const {
    const int index = static_cast<int>(type);
    if (index < 0 || index >= static_cast<int>(kLogTypeNames.size())) return false;
    if (level <= 0 || messageLevel > level) return false;
    return (typeMask & (1u << index)) != 0;
}

std::string FormatLogLine(const LogLineTime& time, LogType type, std::string_view label,
                          std::string_view text) {
    const std::string_view typeName = kLogTypeNames.at(static_cast<std::size_t>(type));
    char stamp[64];
    const int length =
        std::snprintf(stamp, sizeof stamp, " [%02d/%02d/%d %02d:%02d:%02d:%03d] [", time.month,
                      time.day, time.year, time.hour, time.minute, time.second, time.milliseconds);
    std::string line(stamp, static_cast<std::size_t>(length));
    line.reserve(line.size() + typeName.size() + label.size() + text.size() + 6);
    line.append(typeName).append("] - ").append(label).append(text).append("\r\n");
    return line;
}

std::string LogSemaphoreName(std::string_view fileName, LeadBytePredicate isLeadByte) {
    std::string name;
    name.reserve(fileName.size());
    for (std::size_t i = 0; i < fileName.size(); ++i) {
        const char c = fileName[i];
        const auto byte = static_cast<unsigned char>(c);
        if (isLeadByte != nullptr && isLeadByte(byte) && i + 1 < fileName.size()) {
            name.push_back(c);
            name.push_back(fileName[++i]);
        } else if (c == '\\') {
            continue;
        } else if (c >= 'a' && c <= 'z') {
            name.push_back(static_cast<char>(c - 'a' + 'A'));
        } else {
            name.push_back(c);
        }
    }
    return name;
}

bool LogNeedsTrim(std::uint64_t fileSize) {
    return fileSize >= kLogTrimThreshold;
}

std::size_t LogTrimKeepFrom(std::string_view tail) {
    const std::string_view searched = tail.substr(0, std::min(tail.size(), kLogTrimTail - 1));
    const std::size_t cr = searched.find('\r');
    if (cr == std::string_view::npos) return tail.size();
    std::size_t keepFrom = cr + 1;
    if (keepFrom < tail.size() && tail[keepFrom] == '\n') ++keepFrom;
    return keepFrom;
}

}  // namespace norv
