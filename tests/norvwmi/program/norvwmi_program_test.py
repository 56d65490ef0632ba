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

SERVED_CLASSES = ["Sensor", "NumericSensor", "LogRecord", "RecordLog", "ComputerSystem",
                  "AdminDomain", "SystemSpecificCollection"]


def norvwmi(*arguments):
    result = subprocess.run([WINE_RUN, NORVWMI, *arguments], capture_output=True, timeout=120)
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


CASES = {
    "controller": case_controller,
    "classes": case_classes,
    "temperatures": case_temperatures,
    "malformed-platform": case_malformed_platform,
    "driver-absent": case_driver_absent,
    "usage": case_usage,
}

if __name__ == "__main__":
    CASES[CASE]()
