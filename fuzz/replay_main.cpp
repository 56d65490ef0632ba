// Runs a fuzz target over saved inputs where libFuzzer is not available: every file named
// on the command line and every file below the folders named there, in name order.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

// An allocation of exactly the input's size, so that a read past its end is caught by
// AddressSanitizer as it would be under libFuzzer.
bool Replay(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file),
                                  std::istreambuf_iterator<char>()};
    auto input = std::make_unique<std::uint8_t[]>(bytes.size() + (bytes.empty() ? 1 : 0));
    std::copy(bytes.begin(), bytes.end(), input.get());
    LLVMFuzzerTestOneInput(input.get(), bytes.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const fs::path named(argv[i]);
        std::error_code error;
        if (fs::is_directory(named, error)) {
            for (const auto& entry : fs::recursive_directory_iterator(named))
                if (entry.is_regular_file()) inputs.push_back(entry.path());
        } else if (fs::is_regular_file(named, error)) {
            inputs.push_back(named);
        } else {
            std::cerr << "replay: no such file or folder: " << named.string() << "\n";
            return 2;
        }
    }
    if (inputs.empty()) {
        std::cerr << "replay: no inputs (name corpus files or folders)\n";
        return 2;
    }
    std::sort(inputs.begin(), inputs.end());
    for (const fs::path& input : inputs) {
        if (!Replay(input)) {
            std::cerr << "replay: cannot read " << input.string() << "\n";
            return 2;
        }
    }
    std::cout << "replay: " << inputs.size() << " inputs ran without a fault\n";
    return 0;
}
