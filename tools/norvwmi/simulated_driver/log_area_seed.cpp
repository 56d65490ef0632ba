// Writes the management log area of a platform description as a seed for the log-area
// fuzz target: the 32-bit little-endian KronSize, then the area's bytes.
//   norvwmi_log_area_seed DESCRIPTION.mof OUTPUT.bin
#include <cstdint>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "simulated_driver/management_log_directives.h"
#include "simulated_driver/platform_loading.h"

namespace {

int Fail(const std::string& message) {
    std::cerr << "norvwmi_log_area_seed: " << message << "\n";
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return Fail("usage: norvwmi_log_area_seed DESCRIPTION.mof OUTPUT.bin");
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) return Fail(std::string("cannot read ") + argv[1]);
    std::ostringstream text;
    text << in.rdbuf();

    auto loaded = norvwmi::LoadPlatform(norvwmi::MofFile{argv[1], text.str()}, "SEED");
    if (const auto* error = std::get_if<norvwmi::MofError>(&loaded))
        return Fail(norvwmi::FormatMofError(*error));
    const auto logs = std::get<norvwmi::Platform>(loaded).classes->Instances(
        "root\\wmi", norvwmi::kManagementLogClass);
    if (logs.size() != 1) return Fail(std::string(argv[1]) + " has no management log");

    std::uint32_t size = 0;
    std::vector<char> area;
    for (const norvwmi::PropertyValue& value : logs.front()->values) {
        if (value.name == "KronSize")
            size = static_cast<std::uint32_t>(std::get<std::uint64_t>(value.value.data));
        if (value.name != "KronData") continue;
        for (const norvwmi::CimValue& byte : std::get<norvwmi::CimArray>(value.value.data))
            area.push_back(static_cast<char>(std::get<std::uint64_t>(byte.data)));
    }
    std::ofstream out(argv[2], std::ios::binary);
    for (int shift = 0; shift < 32; shift += 8) out.put(static_cast<char>((size >> shift) & 0xFF));
    out.write(area.data(), static_cast<std::streamsize>(area.size()));
    if (!out) return Fail(std::string("cannot write ") + argv[2]);
    return 0;
}
