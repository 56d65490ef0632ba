// The controller, its addressing root and its sensor collection: fixed texts, the firmware
// version text and the case-exact keys.
#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "inventory/controller_record.h"
#include "support/case_file.h"
#include "system/admin_domain_data.h"
#include "system/computer_system_data.h"
#include "system/sensor_collection_data.h"
#include "system/system_columns.h"

namespace norv {
namespace {

const ManagementControllerRecord kController = MakeManagementControllerRecord("32473", "417");

// The bracketed fields of a case's input.
std::vector<std::string> Fields(const std::string& input) {
    std::vector<std::string> fields;
    for (std::size_t open = input.find('['); open != std::string::npos;
         open = input.find('[', open + 1))
        fields.push_back(input.substr(open + 1, input.find(']', open) - open - 1));
    return fields;
}

TEST(SystemCases, AsReviewed) {
    const ComputerSystemData system = MakeComputerSystemData(kController, std::nullopt);
    const AdminDomainData domain = MakeAdminDomainData();
    const SensorCollectionData collection =
        MakeSensorCollectionData(MakeManagementControllerRecord("32473", "AB12"));
    test::ExpectCases("system_cases.txt", [&](const std::string& input) {
        std::istringstream in(input);
        std::string what;
        in >> what;
        const std::vector<std::string> keys = Fields(input);
        if (what == "firmware") {
            DriverVersionNumbers version{};
            const bool read = static_cast<bool>(in >> version.major >> version.minor >>
                                                version.build >> version.bootleg);
            return FirmwareVersionText(read ? std::optional(version) : std::nullopt);
        }
        // The keys of a class are its key columns, in their order.
        const auto wanted = [&keys]<std::size_t N>(std::integral_constant<std::size_t, N>) {
            std::array<std::string, N> values;
            for (std::size_t i = 0; i < N && i < keys.size(); ++i) values[i] = keys[i];
            return values;
        };
        const bool match =
            what == "system" ? MatchesKeyColumns(kComputerSystemColumns, system,
                                                 wanted(std::integral_constant<std::size_t, 2>{}))
            : what == "domain"
                ? MatchesKeyColumns(kAdminDomainColumns, domain,
                                    wanted(std::integral_constant<std::size_t, 2>{}))
                : MatchesKeyColumns(kSensorCollectionColumns, collection,
                                    wanted(std::integral_constant<std::size_t, 1>{}));
        return std::string(match ? "match" : "no match");
    });
}

// The fixed texts of the three classes are carried by the golden outputs of every platform
// (tests/data/golden); here what comes from the controller's record and the presence bits.
TEST(SystemData, TextsFromTheControllerRecordAndPresenceBits) {
    ManagementControllerRecord other = kController;
    other.name = "Other Controller";
    other.ipmiVersion = "2.0";
    other.manufacturerId = "11";
    other.productId = "22";
    const ComputerSystemData system =
        MakeComputerSystemData(other, DriverVersionNumbers{7, 90, 1234, 5});
    EXPECT_EQ(system.name + "|" + system.elementName + "|" + system.description + "|" +
                  system.otherIdentifyingInfo[0],
              "Other Controller|Other Controller|BMC 0 - IPMI v2.0 - fw v7.90.12.34.00.05|11-22");
    EXPECT_EQ(system.dedicated, std::vector<std::uint16_t>{14});
    EXPECT_EQ(system.presenceMask, 0x1Fu);
    EXPECT_EQ(MakeAdminDomainData().presenceMask,
              AdminDomainData::kNameFormatBit | AdminDomainData::kRolesBit);
    EXPECT_EQ(MakeSensorCollectionData(kController).instanceId, "417:0");
    // A neutral build must never claim a real vendor's enterprise number.
    EXPECT_EQ(kController.manufacturerId + "/" + kController.instanceId, "32473/417:0");
    EXPECT_EQ(TheManagementController().manufacturerId, "32473");
    EXPECT_EQ(TheManagementController().instanceId, "0:0");
}

}  // namespace
}  // namespace norv
