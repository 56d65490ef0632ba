#!/usr/bin/env python3
"""The norvwmi program run as people and scripts run it, under the build's Wine: each CASE
checks the exit codes, outputs and errors of a few runs (docs/testing.md says which).

    norvwmi_program_test.py WINE_RUN NORVWMI_EXE SOURCE_DIR CASE
"""
import difflib
import json
import os
import re
import subprocess
import sys

WINE_RUN, NORVWMI, SOURCE_DIR, CASE = sys.argv[1:5]
# Seconds one run may take: longer where a build's programs may run emulated.
CALL_TIMEOUT = 120 * int(os.environ.get("NORV_WINE_SLOWDOWN", "1"))


def shipped_classes():
    """The classes mof/Norvipmiprv.mof declares, in its order (the program's), each with whether
    it is an association; the MOF's provider registrations are checked against the module's
    class table by tests/core."""
    with open(os.path.join(SOURCE_DIR, "mof/Norvipmiprv.mof"), encoding="utf-8") as mof:
        text = mof.read()
    return [(m.group(2), re.match(r"\s*Association\b", m.group(1)) is not None)
            for m in re.finditer(r"^\[([^\]]*)\]\s*class (\w+)\b(?!\s*:)", text, re.M)]


SERVED_CLASSES = [name for name, association in shipped_classes() if not association]
# The association classes, after the served classes in the program's order; their instances
# of each platform are one golden file, associations.json.
ASSOCIATION_CLASSES = [name for name, association in shipped_classes() if association]
# A served class's golden file is named after the objects it holds, or else after the class.
GOLDEN_FILES = {"Sensor": "sensors", "NumericSensor": "numeric-sensors",
                "LogRecord": "log-records", "RecordLog": "record-log",
                "ComputerSystem": "controller", "AdminDomain": "admin-domain",
                "SystemSpecificCollection": "sensor-collection",
                "HealthCondition": "health-conditions"}
NOT_FOUND = "WBEM_E_NOT_FOUND (0x80041002)"


def norvwmi(*arguments, zone="UTC", cwd=None):
    """Runs the program with TZ set for the Wine process, which takes its zone from it."""
    result = subprocess.run([WINE_RUN, NORVWMI, *arguments], capture_output=True, cwd=cwd,
                            timeout=CALL_TIMEOUT, env=dict(os.environ, TZ=zone))
    return result.returncode, result.stdout.decode("utf-8"), result.stderr.decode("utf-8")


def skip_if_emulated(why):
    """Exits 77 (skipped) where this build's 32-bit programs run under qemu-i386."""
    if emulated():
        print("SKIPPED: %s; emulated 32-bit programs take a minute per start" % why)
        sys.exit(77)


def emulated():
    """Whether this build's 32-bit programs run under qemu-i386 (wine-run's choice)."""
    path_file = os.path.join(os.path.dirname(WINE_RUN), "win32-path")
    if not os.path.exists(path_file):
        return False
    with open(path_file, encoding="utf-8") as chosen:
        return chosen.read().strip() == "emulated"


def expect(condition, message, *context):
    if not condition:
        print("FAILED: " + message)
        for text in context:
            print("----\n" + str(text))
        sys.exit(1)


def source(path):
    return os.path.join(SOURCE_DIR, path)


def enumerated(*arguments):
    code, out, err = norvwmi("--format", "json", *arguments)
    expect(code == 0, " ".join(arguments) + " exits 0", code, err)
    return json.loads(out)["instances"]


def compare_with_file(path, text, failures):
    """Compares text with a reviewed file; NORV_UPDATE_GOLDEN=1 writes the file instead."""
    if os.environ.get("NORV_UPDATE_GOLDEN") == "1":
        with open(path, "w", encoding="utf-8", newline="\n") as golden:
            golden.write(text)
        return
    with open(path, encoding="utf-8", newline="") as golden:
        wanted = golden.read()
    if text != wanted:
        failures.append("".join(difflib.unified_diff(
            wanted.splitlines(True), text.splitlines(True), path, "norvwmi output")))


def case_golden():
    update = os.environ.get("NORV_UPDATE_GOLDEN") == "1"
    platforms = sorted(f[:-4] for f in os.listdir(source("platforms")) if f.endswith(".mof"))
    if emulated() and not update:
        # A minute per emulated start: the 64-bit build compares every platform, this one
        # shows that the 32-bit module gives the same objects.
        print("emulated 32-bit programs: the golden outputs of the default platform only")
        platforms = ["default"]
    failures = []
    for platform in platforms:
        folder = source(os.path.join("tests/data/golden", platform))
        if update:
            os.makedirs(folder, exist_ok=True)
        for class_name in SERVED_CLASSES:
            code, out, err = norvwmi("--platform", source("platforms/%s.mof" % platform),
                                     "--format", "json", "enum", class_name)
            document = json.loads(out)
            expect((code == 0) == (document["status"] == "0x00000000"),
                   "the exit code follows the status", platform, class_name, code, err)
            golden = GOLDEN_FILES.get(class_name, class_name) + ".json"
            compare_with_file(os.path.join(folder, golden),
                              json.dumps(document, indent=1, ensure_ascii=False) + "\n", failures)
    expect(not failures, "the outputs match the golden files", *failures)


def case_associations():
    """The instances of every association class, for every platform description, match
    tests/data/golden/PLATFORM/associations.json (the graph's rules are tests/core's); ASSOCIATORS
    OF the controller and of the log, which takes every far end with GetObject, gives as many
    objects as REFERENCES OF."""
    skip_if_emulated("the graph is compared by the 64-bit build")
    platforms = sorted(f[:-4] for f in os.listdir(source("platforms")) if f.endswith(".mof"))
    failures = []
    for platform in platforms:
        option = ["--platform", source("platforms/%s.mof" % platform)]
        graph = {c: enumerated(*option, "enum", c) for c in ASSOCIATION_CLASSES}
        compare_with_file(source("tests/data/golden/%s/associations.json" % platform),
                          json.dumps(graph, indent=1, ensure_ascii=False) + "\n", failures)
        for end in [graph["SystemComponent"][0]["PartComponent"], graph["UseOfLog"][0]["Antecedent"]]:
            counts = [len(enumerated(*option, "query", "%s OF {%s}" % (verb, end)))
                      for verb in ("REFERENCES", "ASSOCIATORS")]
            expect(counts[0] == counts[1] > 0, platform + ": as many associators as references of " + end,
                   counts)
    expect(not failures, "the graphs match the golden files", *failures)


# Runs with a known end: the arguments (sources under the tree), the exit code, the standard
# output (a text ending in "..." is its start) and the texts standard error holds.
MALFORMED = "tests/norvwmi/program/malformed-platform.mof"
MISSING = "tests/norvwmi/program/no-such-platform.mof"
LOG_PATH = 'RecordLog.InstanceID="IPMI:IPMI Controller 0 SEL Log"'
SENSOR_PATH = ('NumericSensor.CreationClassName="NumericSensor",DeviceID="16.0.0",'
               'SystemCreationClassName="ComputerSystem",SystemName="IPMI Controller 0"')
WATCH = "SELECT * FROM __InstanceCreationEvent WHERE TargetInstance ISA 'LogRecord'"
RUNS = {
    "classes": [(["classes"], 0, "\n".join(SERVED_CLASSES + ASSOCIATION_CLASSES) + "\n", []),
                # Without --format the instances are MOF text.
                (["enum", "AdminDomain"], 0, "instance of AdminDomain\n{\n\tCaption...", [])],
    "usage": [(["frob"], 2, "", ["norvwmi: unknown command 'frob'\nusage: norvwmi"]),
              # An unknown class is refused before any provider is asked.
              (["enum", "Fan"], 1, "", ["WBEM_E_INVALID_CLASS (0x80041010)"])],
    # A malformed or unreadable description: the file, the line and the reason.
    "malformed-platform": [(["--platform", MALFORMED, "classes"], 3, "", [MALFORMED + ":9: ", "Colour"]),
                           (["--platform", MISSING, "classes"], 3, "", [MISSING, "ERROR_FILE_NOT_FOUND"])],
    # A lookup that finds nothing fails (which keys match is tests/core's instance columns).
    "lookups": [(["get", SENSOR_PATH.replace("NumericSensor", "Sensor")], 1, "", [NOT_FOUND])],
    # A watch shorter than the provider's period prints nothing, and the module must be free
    # to unload once the subscription ends (its worker stopped), or the host reports a fault.
    # An identify-level subscriber is refused at once (which provider a query reaches is
    # provider_lookups.txt's).
    "watch": [(["watch", "--seconds", "1", WATCH], 0, "", []),
              (["--client-level", "identify", "watch", "--seconds=1", WATCH], 1, "",
               ["WBEM_E_ACCESS_DENIED"])],
}


def case_runs(name):
    def tree(text):
        return source(text) if text.startswith("tests/") else text
    for arguments, code, wanted, holds in RUNS.get(name, []):
        got, out, err = norvwmi(*map(tree, arguments))
        shown = out.startswith(wanted[:-3]) if wanted.endswith("...") else out == wanted
        expect(got == code and shown and all(tree(h) in err for h in holds) and (holds or not err),
               " ".join(arguments), got, out, err)


def case_event_log():
    # The offset from UTC of each event's own date: the zone's rules, whose dates tests/core
    # checks, applied to the zone Windows gives.
    code, out, err = norvwmi("--format", "json", "enum", "LogRecord", zone="America/New_York")
    offsets = {r["MessageTimestamp"][21:] for r in json.loads(out)["instances"]}
    expect(code == 0 and offsets == {"-300", "-240"}, "winter and summer events", offsets, err)


TABLE_RUNS = {
    # golden file under tests/data/norvwmi/table: the platform option and the extra runs (an
    # association's ends by name, the classes by kind, the graph)
    "default": ([], [("exec", LOG_PATH, "ClearLog"), ("get", SENSOR_PATH),
                     ("enum", "HostedCollection"), ("enum", "RecordAppliesToElement"),
                     ("classes",), ("graph",)]),
    "failures": (["--platform", "platforms/failures.mof"], [("graph",)]),
}


def case_table(name):
    """The summary, the table view of every served class and the association graph, compared
    with a golden file."""
    # Ten starts; the view is the host's own code, and the 32-bit module's objects are in
    # the golden case.
    skip_if_emulated("the table view is compared by the 64-bit build")
    platform, extra = TABLE_RUNS[name]
    runs = [("summary",)] + [("enum", c) for c in SERVED_CLASSES] + extra
    text = ""
    for run in runs:
        arguments = platform + ["--format", "table", *run]
        code, out, err = norvwmi(*arguments, cwd=SOURCE_DIR)
        expect(code == 0, " ".join(arguments) + " exits 0", err)
        text += "$ norvwmi " + " ".join(arguments) + "\n" + out
    failures = []
    compare_with_file(source("tests/data/norvwmi/table/%s.txt" % name), text, failures)
    expect(not failures, "the table view matches", *failures)


def case_watch_timed():
    """Descriptions that change under a watch, at a 1-second period, both watches at once.
    platforms/timed/log-and-threshold.mof: its three appended records are three creation
    events, the wrap after them raises none (which events the provider raises, and the lines
    of a watch, are tests/win's and tests/norvwmi/core's).
    platforms/timed/fan-and-temperature-alerts.mof: its alerts as MOF and as table lines, the
    time each was made masked, compared with tests/data/norvwmi/watch/alerts.txt."""
    skip_if_emulated("a watch is timed")
    key = r"HKLM\Software\Norvane\WBEM\NorvHardwareEventProv"
    period = ["/v", "PeriodSeconds"]
    subprocess.run([WINE_RUN, "reg", "add", key, *period, "/t", "REG_DWORD", "/d", "1", "/f"],
                   check=True, capture_output=True, timeout=CALL_TIMEOUT)
    alerts = "platforms/timed/fan-and-temperature-alerts.mof"
    every_alert = "SELECT * FROM AlertIndication"
    try:
        watches = [subprocess.Popen(
            [WINE_RUN, NORVWMI, "--platform", source(platform), "--format", output, "watch",
             "--seconds", "10", query],
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=dict(os.environ, TZ="UTC"))
            for platform, output, query in [("platforms/timed/log-and-threshold.mof", "mof", WATCH),
                                             (alerts, "mof", every_alert),
                                             (alerts, "table", every_alert)]]
        outputs = [w.communicate(timeout=CALL_TIMEOUT) for w in watches]
    finally:
        subprocess.run([WINE_RUN, "reg", "delete", key, *period, "/f"], capture_output=True,
                       timeout=CALL_TIMEOUT)
    errors = [err.decode("utf-8") for _, err in outputs]
    expect([w.returncode for w in watches] == [0] * len(watches) and not any(errors),
           "the watches end cleanly", *errors)
    created, raised, lines = [out.decode("utf-8") for out, _ in outputs]
    # RecordData names each record's entry number, low byte first.
    numbers = [line.split("*")[2] for line in created.splitlines() if "RecordData" in line]
    expect(created.count("instance of __InstanceCreationEvent") == 3 and
           numbers == ["05 00", "06 00", "07 00"], "the three appended records, once each", created)

    def masked(text):
        text = re.sub(r"IndicationTime = [^;]*;", "IndicationTime = <made>;", text)
        return re.sub(r"^(AlertIndication  )\d{4}-\d\d-\d\d \d\d:\d\d(:\d\d)?  ",
                      r"\1<made>  ", text, flags=re.M)
    failures = []
    compare_with_file(source("tests/data/norvwmi/watch/alerts.txt"),
                      "$ watch SELECT * FROM AlertIndication\n" + masked(raised) +
                      "$ watch --format table SELECT * FROM AlertIndication\n" + masked(lines),
                      failures)
    expect(not failures, "the alerts match", *failures)


# The cases beyond the runs of RUNS; a case runs its RUNS first.
CASES = {
    "table-default": lambda: case_table("default"),
    "table-failures": lambda: case_table("failures"),
    "golden": case_golden,
    "associations": case_associations,
    "event-log": case_event_log,
    "watch-timed": case_watch_timed,
}

if __name__ == "__main__":
    expect(CASE in RUNS or CASE in CASES, "a known case: " + CASE)
    case_runs(CASE)
    CASES.get(CASE, lambda: None)()
