// norv_alert_files: writes the files made from the alert catalogue (the message compiler's
// input, the message registry, the event log subscription) into a source tree, or checks
// that the tree holds what the catalogue gives.
//
//   norv_alert_files write SOURCE_DIR
//   norv_alert_files check SOURCE_DIR
#include <CLI/CLI.hpp>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <string>

#include "message_file.h"
#include "registry_file.h"
#include "subscription_mof.h"

namespace {

struct MadeFile {
    std::string path;  // relative to the source tree
    std::function<std::string()> make;
};

const MadeFile kMadeFiles[] = {
    {"src/module/alert_messages.mc", norv::MessageFile},
    {std::string("packaging/") + norv::kRegistryId + ".json", norv::RegistryFile},
    {"packaging/AlertsToEventLog.mof", norv::SubscriptionMof},
    {"packaging/UninstallAlertsToEventLog.mof", norv::SubscriptionRemovalMof},
};

bool ReadFile(const std::filesystem::path& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream content;
    content << in.rdbuf();
    text = content.str();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Writes or checks the files made from the alert catalogue."};
    app.require_subcommand(1);
    std::string root;
    CLI::App* write = app.add_subcommand("write", "write the files into the source tree");
    CLI::App* check = app.add_subcommand("check", "exit 1 when a file differs from the catalogue");
    for (CLI::App* command : {write, check})
        command->add_option("SOURCE_DIR", root, "the source tree")->required();
    CLI11_PARSE(app, argc, argv);

    int status = 0;
    for (const MadeFile& file : kMadeFiles) {
        const std::filesystem::path path = std::filesystem::path(root) / file.path;
        const std::string made = file.make();
        if (write->parsed()) {
            std::ofstream out(path, std::ios::binary);
            out << made;
            if (!out.flush()) {
                std::cerr << "norv_alert_files: cannot write " << path.string() << "\n";
                status = 1;
            }
            continue;
        }
        std::string present;
        if (!ReadFile(path, present)) {
            std::cerr << file.path << " is missing.\n";
            status = 1;
        } else if (present != made) {
            std::cerr << file.path << " is not what the alert catalogue gives.\n";
            status = 1;
        }
    }
    if (status != 0 && check->parsed())
        std::cerr << "Write them again with: " << argv[0] << " write " << root << "\n";
    return status;
}
