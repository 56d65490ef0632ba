#!/usr/bin/env python3
"""The norvwmi program run as people and scripts run it, under the build's Wine.

    norvwmi_program_test.py WINE_RUN NORVWMI_EXE SOURCE_DIR CASE

Each CASE runs the program a few times and checks its exit code, standard output and
standard error; the checks compare against the source tree's own files where they can, so
that a changed platform description does not break them.
"""
import json
import os
import re
import subprocess
import sys

WINE_RUN, NORVWMI, SOURCE_DIR, CASE = sys.argv[1:5]
# Seconds one run may take: longer where a build's programs may run emulated.
CALL_TIMEOUT = 120 * int(os.environ.get("NORV_WINE_SLOWDOWN", "1"))

SERVED_CLASSES = ["Sensor", "NumericSensor", "LogRecord", "RecordLog", "ComputerSystem",
                  "AdminDomain", "SystemSpecificCollection"]


def norvwmi(*arguments):
    result = subprocess.run([WINE_RUN, NORVWMI, *arguments], capture_output=True,
                            timeout=CALL_TIMEOUT)
    return result.returncode, result.stdout.decode("utf-8"), result.stderr.decode("utf-8")


def expect(condition, message, *context):
    if not condition:
        print("FAILED: " + message)
        for text in context:
            print("----\n" + str(text))
        sys.exit(1)


def source(path):
    return os.path.join(SOURCE_DIR, path)


def case_classes():
    code, out, err = norvwmi("classes")
    expect(code == 0, "classes exits 0", code, err)
    expect(out.split("\n") == SERVED_CLASSES + [""], "classes lists the seven served classes", out)
    code, out, err = norvwmi("--format", "json", "classes")
    expect(code == 0, "classes in JSON exits 0", code, err)
    document = json.loads(out)
    expect(document == {"status": "0x00000000", "classes": SERVED_CLASSES},
           "the JSON document lists the seven", out)


def case_temperatures():
    with open(source("platforms/default.mof"), encoding="utf-8") as description:
        described = [int(c) for c in re.findall(r"TempCelsius\s*=\s*(\d+);", description.read())]
    expect(len(described) > 0, "the default platform has temperatures")
    code, out, err = norvwmi("--format", "json", "query", "root\\wmi",
                             "SELECT * FROM TempSensorInfo")
    expect(code == 0, "the query exits 0", code, err)
    document = json.loads(out)
    expect(document["status"] == "0x00000000", "status is 0", out)
    instances = document["instances"]
    expect([i["__CLASS"] for i in instances] == ["TempSensorInfo"] * len(described),
           "one TempSensorInfo per described sensor", out)
    expect([i["TempCelsius"] for i in instances] == described, "the described temperatures", out)
    expect(all(isinstance(i["TempPresent"], bool) for i in instances), "booleans are booleans", out)

    code, out, err = norvwmi("query", "ROOT\\WMI", "select TempCelsius from TempSensorInfo")
    expect(code == 0, "the MOF query exits 0", code, err)
    expect(re.findall(r"TempCelsius = (\d+);", out) == [str(c) for c in described],
           "MOF text shows the selected property only", out)
    expect("TempNumber" not in out, "unselected properties are not shown", out)


def case_malformed_platform():
    malformed = source("tests/norvwmi/program/malformed-platform.mof")
    code, out, err = norvwmi("--platform", malformed, "classes")
    expect(code == 3, "a malformed description exits 3", code, err)
    expect(out == "", "nothing is printed on standard output", out)
    expect(err.startswith(malformed + ":9: ") and "Colour" in err,
           "the error names the file, the line and the reason", err)
    missing = source("tests/norvwmi/program/no-such-platform.mof")
    code, out, err = norvwmi("--platform", missing, "classes")
    expect(code == 3, "an unreadable description exits 3", code, err)
    expect(missing in err and "ERROR_FILE_NOT_FOUND" in err, "the reason is named", err)


def case_driver_absent():
    absent = source("platforms/driver-absent.mof")
    code, out, err = norvwmi("--platform", absent, "--format", "json", "query", "root\\wmi",
                             "SELECT * FROM FanInfo")
    expect(json.loads(out) == {"status": "0x80041010", "instances": []},
           "the query of an absent class gives no instances", out)
    expect(code == 1 and "WBEM_E_INVALID_CLASS (0x80041010)" in err,
           "the status is named on standard error", code, err)
    code, out, err = norvwmi("--platform", absent, "--format", "json", "query", "root\\CIMv2",
                             "SELECT DeviceID FROM Win32_Processor")
    expect(code == 0, "the processors remain", code, err)
    expect(len(json.loads(out)["instances"]) == 2, "two processors", out)


def case_usage():
    code, out, err = norvwmi("frob")
    expect(code == 2, "an unknown command exits 2", code, err)
    expect(err.startswith("norvwmi: unknown command 'frob'\nusage: norvwmi"), "usage is shown", err)
    code, out, err = norvwmi("--help")
    expect(code == 0 and out.startswith("usage: norvwmi"), "--help prints the usage", code, out)
    code, out, err = norvwmi("enum", "Fan")
    expect(code == 1 and "WBEM_E_INVALID_CLASS (0x80041010)" in err,
           "an unknown class is refused before any provider is asked", code, err)


def case_controller():
    with open(source("platforms/default.mof"), encoding="utf-8") as description:
        text = description.read()
    major = re.search(r"DriverMajorVersion\s*=\s*(\d+);", text).group(1)
    minor = re.search(r"DriverMinorVersion\s*=\s*(\d+);", text).group(1)
    code, out, err = norvwmi("--format", "json", "enum", "ComputerSystem")
    expect(code == 0, "enum ComputerSystem exits 0", code, err)
    instances = json.loads(out)["instances"]
    expect(len(instances) == 1, "one management controller", out)
    controller = instances[0]
    expect(controller["Description"] == "BMC 0 - IPMI v1.5 - fw v%s.%s" % (major, minor),
           "the description carries the driver's version", out)

    path = 'ComputerSystem.CreationClassName="%s",Name="%s"' % (
        controller["CreationClassName"], controller["Name"])
    code, out, err = norvwmi("--format", "json", "get", path)
    expect(code == 0 and json.loads(out)["instances"] == [controller],
           "a get with the enumerated keys returns the same instance", code, out, err)
    code, out, err = norvwmi("get", path.replace(controller["Name"], controller["Name"].upper()))
    expect(code == 1 and "WBEM_E_NOT_FOUND (0x80041002)" in err,
           "a key value in other letter case is not found", code, err)
    code, out, err = norvwmi("--client-level", "identify", "enum", "ComputerSystem")
    expect(code == 1 and "WBEM_E_ACCESS_DENIED (0x80041003)" in err,
           "an identify-level client is refused", code, err)
    code, out, err = norvwmi("--platform", source("platforms/driver-absent.mof"), "--format",
                             "json", "enum", "ComputerSystem")
    expect(code == 0 and json.loads(out)["instances"][0]["Description"].endswith(" - fw v1.00"),
           "without the driver the firmware version is 1.00", code, out, err)


def case_management_log():
    with open(source("platforms/default.mof"), encoding="utf-8") as description:
        sequences = [int(n) for n in re.findall(r"Sequence\s*=\s*(\d+);", description.read())]
    expect(len(sequences) > 0, "the default platform has log events")
    code, out, err = norvwmi("--format", "json", "query", "root\\wmi", "SELECT * FROM KronInfo")
    expect(code == 0, "the query of KronInfo exits 0", code, err)
    instances = json.loads(out)["instances"]
    expect(len(instances) == 1, "one management log", out)
    log = instances[0]
    area = log["KronData"]
    expect(log["KronSize"] == len(area), "KronSize is the size of KronData", out)
    end, start = area[0] | area[1] << 8, area[2] | area[3] << 8
    expect(start == 19 and end <= len(area), "an unwrapped ring from the header on", out)
    found, offset = [], 19
    while offset < end:
        length = area[offset] | area[offset + 1] << 8
        expect(length >= 24, "every entry holds its header", offset, length)
        found.append(area[offset + 2] | area[offset + 3] << 8)
        offset += length
    expect(offset == end, "the entries end where the header says", offset, end)
    expect(found == sequences, "one entry per described event, in order", found, sequences)
    code, out, err = norvwmi("--platform", source("platforms/driver-absent.mof"), "--format",
                             "json", "query", "root\\wmi", "SELECT * FROM KronInfo")
    expect(code == 1 and json.loads(out)["instances"] == [],
           "without the driver there is no management log", code, out, err)


# The scenario platforms: each header lists the sensors the description gives and the
# states they show. The tables below hold what the numbering plan and the state rules
# make of each description's data, in enumeration order.

SCENARIO_SYSTEM_KEYS = 'SystemCreationClassName="ComputerSystem",SystemName="IPMI Controller 0"'
SCENARIO_THRESHOLDS = ["LowerThresholdNonCritical", "UpperThresholdNonCritical",
                       "LowerThresholdCritical", "UpperThresholdCritical",
                       "LowerThresholdFatal", "UpperThresholdFatal"]

# Shown by every platform with two processors and by none of these without: the
# processors, then the firmware sensors of owner 1 (RTC, number 5, is never shown).
SCENARIO_TWO_CPUS = [("CPU 0", "1.0.0", "Processor Presence detected"),
                     ("CPU 1", "2.0.0", "Processor Presence detected")]
SCENARIO_FIRMWARE = [("POST Error", "1.0.1", "N/A"), ("NMI", "2.0.1", "N/A"),
                     ("Slot Notify", "3.0.1", "N/A"), ("Network Adapters", "4.0.1", "N/A")]

SCENARIO_PRESENT = "Presence detected"
SCENARIO_DEASSERTED = "Deasserted"
SCENARIO_ECC = "Correctable ECC/other correctable memory error"
SCENARIO_CONFIGURATION = "Configuration error"


def scenario_enum(platform, class_name):
    code, out, err = norvwmi("--platform", source(platform), "--format", "json", "enum",
                             class_name)
    expect(code == 0, "enum %s on %s exits 0" % (class_name, platform), code, err)
    document = json.loads(out)
    expect(document["status"] == "0x00000000", "the enumeration succeeds", out)
    return document["instances"]


def scenario_get(platform, class_name, device_id):
    path = '%s.CreationClassName="%s",DeviceID="%s",%s' % (
        class_name, class_name, device_id, SCENARIO_SYSTEM_KEYS)
    code, out, err = norvwmi("--platform", source(platform), "--format", "json", "get", path)
    return code, (json.loads(out)["instances"] if code == 0 else []), err


def scenario_expect_rows(shown, wanted, what):
    for index, (got, want) in enumerate(zip(shown, wanted)):
        expect(got == want, "%s: entry %d" % (what, index), got, want)
    expect(len(shown) == len(wanted), "%s: %d entries" % (what, len(wanted)), shown[len(wanted):],
           wanted[len(shown):])


def scenario_check_sensors(platform, rows):
    """rows: (name, DeviceID, CurrentState) of every shown Sensor, in order."""
    instances = scenario_enum(platform, "Sensor")
    shown = [(i["ElementName"], i["DeviceID"], i["CurrentState"]) for i in instances]
    wanted = [("%s(%s)" % (name, device), device, state) for name, device, state in rows]
    scenario_expect_rows(shown, wanted, platform + " Sensor")
    return instances


def scenario_check_temperatures(platform, rows):
    """rows: (name, DeviceID, CurrentState, reading, nominal, threshold property, value)."""
    instances = scenario_enum(platform, "NumericSensor")
    shown = [(i["ElementName"], i["DeviceID"], i["CurrentState"]) for i in instances]
    wanted = [("%s(%s)" % (row[0], row[1]), row[1], row[2]) for row in rows]
    scenario_expect_rows(shown, wanted, platform + " NumericSensor")
    for instance, (name, _, _, reading, nominal, threshold, value) in zip(instances, rows):
        numbers = {key: instance.get(key) for key in
                   ["CurrentReading", "NominalReading", "UnitModifier", "BaseUnits", "NormalMin",
                    "NormalMax", "MinReadable", "MaxReadable"] + SCENARIO_THRESHOLDS}
        expected = {"CurrentReading": reading, "NominalReading": nominal, "UnitModifier": -1,
                    "BaseUnits": 2, "NormalMin": 60, "NormalMax": 1000, "MinReadable": 0,
                    "MaxReadable": 1270}
        expected.update({key: None for key in SCENARIO_THRESHOLDS})
        expected[threshold] = value
        expect(numbers == expected, name + ": reading, range and its one threshold", numbers,
               expected)


FAILURES = "platforms/failures.mof"

FAILURES_TEMPERATURES = [
    # name, DeviceID, state, reading, nominal ((T + 20) / 2 x 10), threshold, value (T x 10)
    ("TEMPERATURE 1", "10.0.0", "OK", 440, 510, "UpperThresholdCritical", 820),
    ("TEMPERATURE 2", "11.0.0", "at or above upper non-critical threshold", 450, 310,
     "UpperThresholdNonCritical", 420),
    ("TEMPERATURE 3", "12.0.0", "at or above upper critical threshold", 900, 530,
     "UpperThresholdCritical", 870),
    ("TEMPERATURE 4", "13.0.0", "at or above upper non-recoverable threshold", 1270, 620,
     "UpperThresholdFatal", 1050),
    # TEMPERATURE 5 (14.0.0) is not fitted.
    ("TEMPERATURE 6", "15.0.0", "OK", 500, 570, "UpperThresholdFatal", 950),
]

FAILURES_SENSORS = SCENARIO_TWO_CPUS + [
    ("FAN GROUP 1", "20.0.0", "Redundancy Degraded"),
    ("FAN GROUP 2", "21.0.0", "Redundancy Lost"),
    ("FAN GROUP 3", "22.0.0", "Non-redundant:Insufficient Resources"),
    ("FAN SHARED GROUP 1", "23.0.0", "Fully Redundant"),
    ("FAN 1", "29.0.0", "Transition to On Line"),
    ("FAN 2", "30.0.0", "Transition to Degraded"),
    ("FAN 3", "31.0.0", "Transition to Off Line"),
    ("FAN 4", "32.0.0", "Transition to Power Save"),
    ("FAN 5", "33.0.0", SCENARIO_DEASSERTED),
    ("FAN 6", "34.0.0", SCENARIO_DEASSERTED),
    ("FAN 7", "35.0.0", "Transition to On Line"),
    ("FAN 8", "36.0.0", "Transition to Degraded"),
    ("FAN 9", "37.0.0", SCENARIO_DEASSERTED),
    ("Pwr Subsystem", "40.0.0", "Redundancy Lost"),
    ("POWER GROUP 1", "41.0.0", "Redundancy Lost"),
    ("POWER GROUP 2", "42.0.0", "Redundancy Degraded"),
    ("POWER SUPPLY 1", "46.0.0", SCENARIO_PRESENT),
    ("POWER SUPPLY 2", "47.0.0", "Power Supply Failure detected"),
    ("POWER SUPPLY 3", "48.0.0", SCENARIO_PRESENT),
    ("POWER SUPPLY 4", "49.0.0", SCENARIO_PRESENT),
    ("POWER SUPPLY 5", "50.0.0", SCENARIO_DEASSERTED),
    ("ASR", "60.0.0", SCENARIO_DEASSERTED),
    ("UID Light signal", "61.0.0", "Transition to Active"),
] + SCENARIO_FIRMWARE + [
    ("Adv Mem Protect", "10.0.1", "Transition to Degraded"),
    ("SysBoard DIMMs", "11.0.1", SCENARIO_PRESENT),
    ("SysBoard DIMM 1", "20.0.1", SCENARIO_PRESENT),
    ("SysBoard DIMM 2", "21.0.1", SCENARIO_ECC),
    ("SysBoard DIMM 3", "22.0.1", SCENARIO_CONFIGURATION),
    ("SysBoard DIMM 4", "23.0.1", SCENARIO_DEASSERTED),
]


def case_scenario_failures():
    scenario_check_temperatures(FAILURES, FAILURES_TEMPERATURES)
    scenario_check_sensors(FAILURES, FAILURES_SENSORS)
    code, found, err = scenario_get(FAILURES, "NumericSensor", "14.0.0")
    expect(code == 1 and "WBEM_E_NOT_FOUND (0x80041002)" in err,
           "the sensor that is not fitted cannot be got either", code, found, err)


def scenario_dimm_rows(first_number, modules, states_by_cartridge):
    """CART k: DIMM m rows; k 0 is the system board. states_by_cartridge: {k: [state of m]}."""
    rows = []
    first_cartridge = min(states_by_cartridge)
    for cartridge, states in sorted(states_by_cartridge.items()):
        expect(len(states) == modules, "a state for every module of cartridge %d" % cartridge)
        for module, state in enumerate(states, start=1):
            number = (first_number + (cartridge - first_cartridge) * modules + module - 1) % 256
            name = ("SysBoard DIMM %d" % module if cartridge == 0
                    else "CART %d: DIMM %d" % (cartridge, module))
            rows.append((name, "%d.0.1" % number, state))
    return rows


MEMORY_CARTRIDGES = "platforms/memory-cartridges.mof"

MEMORY_CARTRIDGES_SENSORS = SCENARIO_TWO_CPUS + SCENARIO_FIRMWARE + [
    ("Adv Mem Protect", "10.0.1", "Redundancy Degraded"),
    ("MEM CART 1", "11.0.1", SCENARIO_PRESENT),
    ("MEM CART 2", "12.0.1", SCENARIO_PRESENT),
    ("MEM CART 3", "13.0.1", "Memory Device Disabled"),
    ("MEM CART 4", "14.0.1", SCENARIO_DEASSERTED),
    ("MEM CART 1 PIRN", "15.0.1", SCENARIO_DEASSERTED),
    ("MEM CART 2 PIRN", "16.0.1", "Interlock asserted"),
    ("MEM CART 3 PIRN", "17.0.1", "Slot Power is Off"),
    ("MEM CART 4 PIRN", "18.0.1", SCENARIO_DEASSERTED),
] + scenario_dimm_rows(20, 4, {
    1: [SCENARIO_PRESENT, SCENARIO_PRESENT, SCENARIO_ECC, SCENARIO_DEASSERTED],
    2: [SCENARIO_PRESENT, "Spare", SCENARIO_PRESENT, SCENARIO_DEASSERTED],
    3: [SCENARIO_CONFIGURATION, SCENARIO_CONFIGURATION, SCENARIO_DEASSERTED, SCENARIO_DEASSERTED],
    4: [SCENARIO_DEASSERTED] * 4,
})


def case_scenario_memory_cartridges():
    scenario_check_sensors(MEMORY_CARTRIDGES, MEMORY_CARTRIDGES_SENSORS)
    expect(scenario_enum(MEMORY_CARTRIDGES, "NumericSensor") == [],
           "a platform without temperatures has no numeric sensor")


MEMORY_BOARD = "platforms/memory-board.mof"

MEMORY_BOARD_SENSORS = SCENARIO_TWO_CPUS + SCENARIO_FIRMWARE + [
    ("Adv Mem Protect", "10.0.1", "Fully Redundant"),
    ("SysBoard DIMMs", "11.0.1", SCENARIO_PRESENT),
] + scenario_dimm_rows(20, 12, {
    # DIMM status 1, 2, 3, 4, 5, 6, 7, 8, 10, 9, 11, 0
    0: ["Spare"] + [SCENARIO_PRESENT] * 3 + [SCENARIO_CONFIGURATION] * 5
       + [SCENARIO_ECC, SCENARIO_DEASSERTED, SCENARIO_DEASSERTED],
})


def case_scenario_memory_board():
    scenario_check_sensors(MEMORY_BOARD, MEMORY_BOARD_SENSORS)
    code, found, err = scenario_get(MEMORY_BOARD, "Sensor", "12.0.1")
    expect(code == 1 and "WBEM_E_NOT_FOUND (0x80041002)" in err,
           "the system board's interlock sensor is not shown", code, found, err)


BIG_SERVER = "platforms/big-server.mof"

# The number plan: (name, first name number or None, count, first sensor number, owner,
# state). Numbers are 8-bit: the power block ends at 253, which is raised to 4.
BIG_SERVER_BLOCKS = [
    ("CPU %d", 0, 8, 1, 0, "Processor Presence detected"),
    ("FAN GROUP %d", 1, 4, 110, 0, "Fully Redundant"),
    ("FAN SHARED GROUP %d", 1, 2, 114, 0, "Fully Redundant"),
    ("FAN %d", 1, 64, 174, 0, "Transition to On Line"),
    ("Pwr Subsystem", None, 1, 240, 0, "Fully Redundant"),
    ("POWER GROUP %d", 1, 2, 241, 0, "Fully Redundant"),
    ("POWER SUPPLY %d", 1, 6, 247, 0, SCENARIO_PRESENT),
    ("ASR", None, 1, 4, 0, "N/A"),
    ("UID Light signal", None, 1, 5, 0, "Transition to Idle"),
    ("POST Error", None, 1, 1, 1, "N/A"),
    ("NMI", None, 1, 2, 1, "N/A"),
    ("Slot Notify", None, 1, 3, 1, "N/A"),
    ("Network Adapters", None, 1, 4, 1, "N/A"),
    ("Adv Mem Protect", None, 1, 10, 1, "Redundancy Lost"),
    ("MEM CART %d", 1, 8, 11, 1, SCENARIO_PRESENT),
    ("MEM CART %d PIRN", 1, 8, 19, 1, SCENARIO_DEASSERTED),
]
BIG_SERVER_EXCEPTIONS = {"FAN GROUP 3": "Redundancy Degraded",
                         "FAN 40": "Transition to Degraded"}
BIG_SERVER_FITTED = [1, 2, 3, 4, 17, 18, 19, 20]
BIG_SERVER_SHARED_IDS = {
    "4.0.0": ["CPU 3", "ASR"],
    "5.0.0": ["CPU 4", "UID Light signal"],
    "1.0.1": ["POST Error", "CART 8: DIMM 18"],
    "2.0.1": ["NMI", "CART 8: DIMM 19"],
    "3.0.1": ["Slot Notify", "CART 8: DIMM 20"],
    "4.0.1": ["Network Adapters", "CART 8: DIMM 21"],
    "10.0.1": ["Adv Mem Protect", "CART 8: DIMM 27"],
    "11.0.1": ["MEM CART 1", "CART 8: DIMM 28"],
    "12.0.1": ["MEM CART 2", "CART 8: DIMM 29"],
    "13.0.1": ["MEM CART 3", "CART 8: DIMM 30"],
}


def scenario_described(path, class_name):
    """The property values of each instance of a class in a description, as text."""
    with open(source(path), encoding="utf-8") as description:
        text = description.read()
    blocks = re.findall(r"instance of %s\s*\{(.*?)\};" % class_name, text, re.S)
    return [dict(re.findall(r"(\w+)\s*=\s*([^;]+);", block)) for block in blocks]


def case_scenario_big_server():
    rows = []
    for name, first_name, count, first_number, owner, state in BIG_SERVER_BLOCKS:
        for i in range(count):
            shown = name % (first_name + i) if first_name is not None else name
            rows.append((shown, "%d.0.%d" % ((first_number + i) % 256, owner),
                         BIG_SERVER_EXCEPTIONS.get(shown, state)))
    rows += scenario_dimm_rows(30, 30, {
        cartridge: [SCENARIO_PRESENT if module in BIG_SERVER_FITTED else SCENARIO_DEASSERTED
                    for module in range(1, 31)]
        for cartridge in range(1, 9)})
    instances = scenario_check_sensors(BIG_SERVER, rows)

    names_by_id = {}
    for instance in instances:
        names_by_id.setdefault(instance["DeviceID"], []).append(
            instance["ElementName"][:-len(instance["DeviceID"]) - 2])
    shared = {device: names for device, names in names_by_id.items() if len(names) > 1}
    expect(shared == BIG_SERVER_SHARED_IDS, "the DeviceIDs that two sensors share", shared)
    for device, names in list(BIG_SERVER_SHARED_IDS.items()) + [("5.0.1", ["CART 8: DIMM 22"])]:
        code, found, err = scenario_get(BIG_SERVER, "Sensor", device)
        expect(code == 0 and [i["ElementName"] for i in found] == ["%s(%s)" % (names[0], device)],
               "a get of %s returns the sensor listed first" % device, code, found, err)

    temperatures = scenario_described(BIG_SERVER, "TempSensorInfo")
    expect(len(temperatures) == 96, "the description has 96 temperatures", len(temperatures))
    numeric = scenario_enum(BIG_SERVER, "NumericSensor")
    shown = [(i["ElementName"], i["CurrentReading"], i["CurrentState"]) for i in numeric]
    wanted = []
    for described in temperatures:
        number = int(described["TempNumber"])
        device = "%d.0.0" % (9 + number)
        wanted.append(("TEMPERATURE %d(%s)" % (number, device),
                       min(int(described["TempCelsius"]) * 10, 1270), "OK"))
    scenario_expect_rows(shown, wanted, BIG_SERVER + " NumericSensor")


def norvwmi_in_zone(zone, *arguments):
    """Runs the program with TZ set for the Wine process, which takes its zone from it."""
    result = subprocess.run([WINE_RUN, NORVWMI, *arguments], capture_output=True,
                            timeout=CALL_TIMEOUT, env=dict(os.environ, TZ=zone))
    return result.returncode, result.stdout.decode("utf-8"), result.stderr.decode("utf-8")


def enumerated(*arguments):
    code, out, err = norvwmi("--format", "json", *arguments)
    expect(code == 0, " ".join(arguments) + " exits 0", code, err)
    return json.loads(out)["instances"]


def sensor_path(instance):
    return '%s.CreationClassName="%s",DeviceID="%s",SystemCreationClassName="%s",SystemName="%s"' % (
        instance["__CLASS"], instance["CreationClassName"], instance["DeviceID"],
        instance["SystemCreationClassName"], instance["SystemName"])


def default_header_comment():
    with open(source("platforms/default.mof"), encoding="utf-8") as description:
        text = description.read()
    return text[:text.index("#pragma")]


# The shown sensors of the default platform's header comment, in inventory order: (sensor
# number, owner id, element name). Power group 1 (one group only), RTC and MEM CART 0 PIRN
# are not shown.
DEFAULT_DISCRETE_SENSORS = (
    [(1, 0, "CPU 0"), (2, 0, "CPU 1"), (20, 0, "FAN GROUP 1"), (21, 0, "FAN GROUP 2"),
     (22, 0, "FAN SHARED GROUP 1")]
    + [(27 + n, 0, "FAN %d" % n) for n in range(1, 9)]
    + [(40, 0, "Pwr Subsystem"), (43, 0, "POWER SUPPLY 1"), (44, 0, "POWER SUPPLY 2"),
       (50, 0, "ASR"), (51, 0, "UID Light signal"),
       (1, 1, "POST Error"), (2, 1, "NMI"), (3, 1, "Slot Notify"), (4, 1, "Network Adapters"),
       (10, 1, "Adv Mem Protect"), (11, 1, "SysBoard DIMMs")]
    + [(19 + n, 1, "SysBoard DIMM %d" % n) for n in range(1, 17)])
DEFAULT_NUMERIC_SENSORS = [(9 + n, 0, "TEMPERATURE %d" % n) for n in range(1, 8)]
HIDDEN_DEFAULT_SENSORS = ["POWER GROUP 1", "RTC", "MEM CART 0 PIRN"]
THRESHOLDS = ["LowerThresholdNonCritical", "UpperThresholdNonCritical", "LowerThresholdCritical",
              "UpperThresholdCritical", "LowerThresholdFatal", "UpperThresholdFatal"]


def expect_sensors(instances, expected, class_name):
    # Device id: sensor number, owner LUN (0 here), owner id.
    wanted = [("%d.0.%d" % (number, owner), "%s(%d.0.%d)" % (name, number, owner))
              for number, owner, name in expected]
    shown = [(i["DeviceID"], i["ElementName"]) for i in instances]
    expect(shown == wanted, "each shown %s once, in inventory order" % class_name, shown, wanted)
    expect(all(i["CreationClassName"] == class_name and i["__CLASS"] == class_name
               and i["SystemCreationClassName"] == "ComputerSystem"
               and i["SystemName"] == "IPMI Controller 0" for i in instances),
           "the keys name the class and the controller", instances)


def case_sensors():
    header = default_header_comment()
    for _, _, name in DEFAULT_DISCRETE_SENSORS + DEFAULT_NUMERIC_SENSORS:
        expect(name.rstrip("0123456789 ") in header, "the header comment names " + name, header)
    for name in HIDDEN_DEFAULT_SENSORS:
        expect(name in header, "the header comment names " + name, header)

    sensors = enumerated("enum", "Sensor")
    expect_sensors(sensors, DEFAULT_DISCRETE_SENSORS, "Sensor")
    numeric = enumerated("enum", "NumericSensor")
    expect_sensors(numeric, DEFAULT_NUMERIC_SENSORS, "NumericSensor")
    expect(not any(n in i["ElementName"] for i in sensors + numeric for n in HIDDEN_DEFAULT_SENSORS),
           "the sensors that are not present are not shown", sensors)

    # The temperature of 41 degrees with threshold 82 that shuts the system down gracefully.
    with open(source("platforms/default.mof"), encoding="utf-8") as description:
        blocks = re.findall(r"instance of TempSensorInfo\s*\{(.*?)\};", description.read(), re.S)
    graceful = [b for b in blocks if re.search(r"TempCelsius\s*=\s*41;", b)
                and re.search(r"TempThreshold\s*=\s*82;", b)
                and re.search(r"TempShutdownGracefully\s*=\s*TRUE;", b)
                and re.search(r"TempImmediatePowerOff\s*=\s*FALSE;", b)]
    expect(len(graceful) >= 1, "the default platform has the 41/82 graceful temperature", blocks)
    number = 9 + int(re.search(r"TempNumber\s*=\s*(\d+);", graceful[0]).group(1))
    matches = [i for i in numeric if i["DeviceID"] == "%d.0.0" % number]
    expect(len(matches) == 1, "the temperature is shown once", numeric)
    sensor = matches[0]
    expect(sensor["CurrentReading"] == 410 and sensor["UnitModifier"] == -1,
           "41 degrees read as 410 tenths", sensor)
    expect(sensor["UpperThresholdCritical"] == 820, "the threshold is upper critical", sensor)
    expect([t for t in THRESHOLDS if t in sensor] == ["UpperThresholdCritical"],
           "no other threshold is written", sensor)

    for instance in [sensors[0], sensors[-1], numeric[0], sensor, numeric[-1]]:
        code, out, err = norvwmi("--format", "json", "get", sensor_path(instance))
        expect(code == 0 and json.loads(out)["instances"] == [instance],
               "a get with the enumerated keys returns the same instance", code, out, err)
    code, out, err = norvwmi("get", sensor_path(sensor).replace("NumericSensor", "Sensor"))
    expect(code == 1 and "WBEM_E_NOT_FOUND (0x80041002)" in err,
           "a numeric sensor is not a discrete sensor", code, err)
    code, out, err = norvwmi("get", sensor_path(sensors[0]).replace('"Sensor"', '"sensor"'))
    expect(code == 1 and "WBEM_E_NOT_FOUND (0x80041002)" in err,
           "a key value in other letter case is not found", code, err)


def case_driver_absent_sensors():
    absent = source("platforms/driver-absent.mof")
    sensors = enumerated("--platform", absent, "enum", "Sensor")
    expect_sensors(sensors, [(1, 0, "CPU 0"), (2, 0, "CPU 1"), (1, 1, "POST Error"),
                             (2, 1, "NMI"), (3, 1, "Slot Notify"), (4, 1, "Network Adapters")],
                   "Sensor")
    expect(enumerated("--platform", absent, "enum", "NumericSensor") == [],
           "no numeric sensor without the driver")
    expect(enumerated("--platform", absent, "enum", "LogRecord") == [],
           "no event without the driver's log")
    logs = enumerated("--platform", absent, "enum", "RecordLog")
    expect(len(logs) == 1 and str(logs[0]["CurrentNumberOfRecords"]) == "0",
           "the record log is still there, empty", logs)
    code, out, err = norvwmi("--platform", absent, "--format", "json", "get", sensor_path(sensors[0]))
    expect(code == 0 and json.loads(out)["instances"] == [sensors[0]],
           "a processor sensor is found by its keys", code, out, err)


RECORD_FORMAT = ("*string CIM_Sensor.DeviceID*uint8[2] IPMI_RecordID*uint8 IPMI_RecordType"
                 "*uint8[4] IPMI_Timestamp*uint8[2] IPMI_GeneratorID*uint8 IPMI_EvMRev"
                 "*uint8 IPMI_SensorType*uint8 IPMI_SensorNumber*boolean IPMI_AssertionEvent"
                 "*uint8 IPMI_EventType*uint8 IPMI_EventData1*uint8 IPMI_EventData2"
                 "*uint8 IPMI_EventData3*")

# The first two events of the default platform's log, read in UTC.
FIRST_RECORDS = [
    {"Caption": "Event Logging Disabled Assert: Log Area Reset/Cleared",
     "Description": "Kron Maintenance(0.0.0): Event Logging Disabled; "
                    "Assert: Log Area Reset/Cleared",
     "MessageTimestamp": "20131002081400.000000+000",
     "RecordData": "*0.0.0*01 00*02*c8 d5 4b 52*00 00*04*10*00*true*6f*02*ff*ff*"},
    {"Caption": "System Firmware Progress Assert: System Firmware POST error OEM code: 17 "
                "OEM code: 85",
     "Description": "POST Error(1.0.1): System Firmware Progress for BIOS 0; Assert: System "
                    "Firmware POST error OEM code: 17 OEM code: 85",
     "MessageTimestamp": "20131002082100.000000+000",
     "RecordData": "*1.0.1*02 00*02*6c d7 4b 52*01 00*04*0f*01*true*6f*a0*11*55*"},
]


def log_records_in_zone(zone):
    code, out, err = norvwmi_in_zone(zone, "--format", "json", "enum", "LogRecord")
    expect(code == 0, "enum LogRecord exits 0 in " + zone, code, err)
    return json.loads(out)["instances"]


def case_event_log():
    records = log_records_in_zone("UTC")
    expect(len(records) == 29, "29 records on the default platform", len(records))
    expect([r["RecordID"] for r in records] == [str(n) for n in range(1, 30)],
           "records are numbered from 1 in log order", [r["RecordID"] for r in records])
    for record in records:
        expect(record["CreationClassName"] == "LogRecord" and record["LogName"] == "IPMI SEL"
               and record["LogCreationClassName"] == "RecordLog"
               and record["ElementName"] == "IPMI SEL Record"
               and record["RecordFormat"] == RECORD_FORMAT and "DataFormat" not in record,
               "the fixed texts of every record", record)
    for record, wanted in zip(records, FIRST_RECORDS):
        for name, value in wanted.items():
            expect(record[name] == value, "the %s of record %s" % (name, record["RecordID"]),
                   record[name], value)

    code, out, err = norvwmi_in_zone("UTC", "--format", "json", "enum", "RecordLog")
    expect(code == 0, "enum RecordLog exits 0", code, err)
    logs = json.loads(out)["instances"]
    expect(len(logs) == 1, "one record log", out)
    log = logs[0]
    expect(str(log["CurrentNumberOfRecords"]) == "29" and str(log["MaxNumberOfRecords"]) == "0",
           "the log counts its records", log)
    expect(log["TimeOfLastStateChange"] == records[-1]["MessageTimestamp"],
           "the last change is the newest event", log, records[-1])
    expect(log["InstanceID"] == "IPMI:IPMI Controller 0 SEL Log" and log["EnabledState"] == 2,
           "the log's identity and state", log)

    path = 'RecordLog.InstanceID="%s"' % log["InstanceID"]
    for method in ["ClearLog", "clearlog"]:
        code, out, err = norvwmi("--format", "json", "exec", path, method)
        expect(code == 0 and json.loads(out)["instances"] == [
            {"__CLASS": "__PARAMETERS", "ReturnValue": 1}],
            method + " reports 1 (not supported) in its output", code, out, err)
    code, out, err = norvwmi("exec", path.replace("IPMI:", "ipmi:"), "ClearLog")
    expect(code == 1 and "WBEM_E_NOT_FOUND (0x80041002)" in err,
           "ClearLog on another log is not found", code, err)

    # Offsets from UTC of each event's own date, daylight saving time included.
    from datetime import datetime
    from zoneinfo import ZoneInfo
    zone = ZoneInfo("America/New_York")
    offsets = []
    for record in log_records_in_zone("America/New_York"):
        stamp = record["MessageTimestamp"]
        local = datetime.strptime(stamp[:14], "%Y%m%d%H%M%S").replace(tzinfo=zone)
        minutes = int(local.utcoffset().total_seconds()) // 60
        wanted = ("+" if minutes >= 0 else "-") + "%03d" % abs(minutes)
        expect(stamp[21:] == wanted, "the offset of " + stamp, wanted)
        offsets.append(stamp[21:])
    expect("-300" in offsets and "-240" in offsets, "winter and summer events", offsets)

    empty = source("platforms/log-empty.mof")
    expect(enumerated("--platform", empty, "enum", "LogRecord") == [], "an empty log has no record")
    logs = enumerated("--platform", empty, "enum", "RecordLog")
    expect(len(logs) == 1 and str(logs[0]["CurrentNumberOfRecords"]) == "0"
           and "TimeOfLastStateChange" not in logs[0],
           "an empty log has no last change", logs)


TABLE_LOG_PATH = 'RecordLog.InstanceID="IPMI:IPMI Controller 0 SEL Log"'
TABLE_RUNS = {
    # golden file under tests/data/norvwmi/table: the platform option and the extra runs
    "default": ([], [("exec", TABLE_LOG_PATH, "ClearLog"),
                     ("get", 'NumericSensor.CreationClassName="NumericSensor",DeviceID="16.0.0",'
                      'SystemCreationClassName="ComputerSystem",SystemName="IPMI Controller 0"')]),
    "failures": (["--platform", FAILURES], []),
}


def case_table(name):
    """The summary and the table view of every served class, compared with a golden file;
    NORVWMI_REGENERATE=1 rewrites the file instead (docs/testing.md)."""
    platform, extra = TABLE_RUNS[name]
    runs = [("summary",)] + [("enum", c) for c in SERVED_CLASSES] + extra
    text = ""
    for run in runs:
        arguments = platform + ["--format", "table", *run]
        result = subprocess.run([WINE_RUN, NORVWMI, *arguments], capture_output=True,
                                timeout=120, cwd=SOURCE_DIR, env=dict(os.environ, TZ="UTC"))
        expect(result.returncode == 0, " ".join(arguments) + " exits 0", result.stderr)
        text += "$ norvwmi " + " ".join(arguments) + "\n" + result.stdout.decode("utf-8")
    golden = source("tests/data/norvwmi/table/%s.txt" % name)
    if os.environ.get("NORVWMI_REGENERATE") == "1":
        with open(golden, "w", encoding="utf-8", newline="\n") as out:
            out.write(text)
    with open(golden, encoding="utf-8", newline="") as expected:
        wanted = expected.read()
    if text != wanted:
        import difflib
        expect(False, "the table view matches " + golden, "".join(difflib.unified_diff(
            wanted.splitlines(True), text.splitlines(True), "expected", "printed")))


CASES = {
    "table-default": lambda: case_table("default"),
    "table-failures": lambda: case_table("failures"),
    "controller": case_controller,
    "classes": case_classes,
    "temperatures": case_temperatures,
    "malformed-platform": case_malformed_platform,
    "driver-absent": case_driver_absent,
    "usage": case_usage,
    "management-log": case_management_log,
    "scenario-failures": case_scenario_failures,
    "scenario-memory-cartridges": case_scenario_memory_cartridges,
    "scenario-memory-board": case_scenario_memory_board,
    "scenario-big-server": case_scenario_big_server,
    "sensors": case_sensors,
    "event-log": case_event_log,
    "driver-absent-sensors": case_driver_absent_sensors,
}

if __name__ == "__main__":
    CASES[CASE]()
