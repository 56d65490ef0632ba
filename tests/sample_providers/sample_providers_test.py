#!/usr/bin/env python3
"""The norvwmi program serving providers that are strangers to the module, from their own MOF
and module, under the build's Wine.

    sample_providers_test.py WINE_RUN NORVWMI SOURCE_DIR MODULE_DIR

Each row runs the program once and checks its exit code, that its standard output holds each
of the texts given (in that order) and lacks the ones refused, and that standard error holds
its texts; an empty list of errors means standard error is empty.
"""
import os
import subprocess
import sys

WINE_RUN, NORVWMI, SOURCE_DIR, MODULE_DIR = sys.argv[1:5]
CALL_TIMEOUT = 120 * int(os.environ.get("NORV_WINE_SLOWDOWN", "1"))


def sample(kind, mof):
    return ["--mof", os.path.join(SOURCE_DIR, "tests/sample_providers", kind, mof),
            "--module", os.path.join(MODULE_DIR, "sample_%s_provider.dll" % kind)]


INSTANCE = sample("instance", "InstProvSamp.mof")
EVENT = sample("event", "SampleAlert.mof")
CLASS = sample("class", "ClassProvSamp.mof")
# The event sample's four alerts, as a table line each shows them after its date and time.
ALERTS = ['Message="Fan 1 turns at its usual speed" Sequence=1 Severity=2',
          'Message="Fan 2 turns slowly" Sequence=2 Severity=6',
          'Message="Fan 2 has stopped" Sequence=3 Severity=9',
          'Message="Fan 2 turns again" Sequence=4 Severity=4']
LEFT_IMPERSONATING = ("provider warning: %s returned with the thread still impersonating the "
                      "client")


def instance_text(key, value):
    return 'instance of InstProvSamp\n{\n\tMyKey = "%s";\n\tMyValue = %d;\n};\n' % (key, value)


A, B, C = instance_text("a", 1), instance_text("b", 2), instance_text("c", 3)

# (what, arguments, exit code, output holds, output lacks, error holds)
ROWS = [
    ("its namespace is served, with the registration's six further properties",
     INSTANCE + ["query", "root\\default", "SELECT * FROM __Win32Provider"], 0,
     ["ClientLoadableCLSID = ", "DefaultMachineName = ", "ImpersonationLevel = 1;",
      "PerUserInitialization = FALSE;", "Pure = TRUE;",
      'UnloadTimeout = "00000000000030.000000:000";'], [], []),
    ("an enumeration through the provider; its impersonation left to COM is a warning",
     INSTANCE + ["enum", "InstProvSamp"], 0, [A, B, C], [],
     [LEFT_IMPERSONATING % "CreateInstanceEnumAsync"]),
    ("a get by key", INSTANCE + ["get", 'InstProvSamp.MyKey="b"'], 0, [B], [A, C],
     [LEFT_IMPERSONATING % "GetObjectAsync"]),
    ("a query of a provider without query support enumerates through it",
     INSTANCE + ["query", "SELECT * FROM InstProvSamp"], 0, [A, B, C], [],
     [LEFT_IMPERSONATING % "CreateInstanceEnumAsync"]),
    ("and filters and projects what it hands back",
     INSTANCE + ["query", "SELECT MyKey FROM InstProvSamp WHERE MyValue >= 2"], 0,
     ['MyKey = "b";', 'MyKey = "c";'], ['"a"', "MyValue"], [LEFT_IMPERSONATING % "CreateInstanceEnumAsync"]),
    ("a WHERE naming no property of the class is refused before the provider is asked",
     INSTANCE + ["query", "SELECT * FROM InstProvSamp WHERE Colour = 1"], 1, [], ["instance"],
     ["WBEM_E_INVALID_QUERY (0x80041017) from the query (InstProvSamp has no property Colour)"]),
    ("a served MOF that cannot be read stops the program before anything runs",
     ["--mof", os.path.join(SOURCE_DIR, "tests/sample_providers/absent.mof")] + INSTANCE[2:]
     + ["classes"], 3, [], ["Sensor"], ["cannot read the MOF file ", "ERROR_FILE_NOT_FOUND"]),
    ("without its MOF the module's classes are served, not the sample's",
     INSTANCE[2:] + ["enum", "InstProvSamp"], 1, [], [],
     ["WBEM_E_INVALID_CLASS (0x80041010)", "root\\cimv2\\ipmi has no class InstProvSamp"]),
    # How the words are read as in-parameters is method_arguments.txt's.
    ("a method without in-parameters given gets the MOF's defaults",
     INSTANCE + ["exec", "MethProvSamp", "Echo"], 0,
     ["instance of __PARAMETERS\n{\n\tReturnValue = 0;\n\tsOutArg = \"default\";\n};\n"], [], []),
    ("in-parameters typed by the method's declaration",
     INSTANCE + ["exec", "MethProvSamp", "Echo", "sInArg=ab", "NCOUNT=3"], 0,
     ['sOutArg = "ababab";'], [], []),
    # The event provider takes no IWbemEventProviderQuerySink: it is served all the same. Which
    # events a query takes is the sink's (tests/norvwmi/win/event_sink_test.cpp), which
    # registration serves it the lookup rows' (provider_lookups.txt).
    ("one without a WHERE every event, in order, as MOF text",
     EVENT + ["watch", "--seconds", "2", "SELECT * FROM SampleAlert"], 0,
     ["instance of SampleAlert\n{\n\tMessage = \"Fan 1 turns at its usual speed\";\n"
      "\tSequence = 1;\n\tSeverity = 2;\n};\n"] + ["Sequence = %d;" % n for n in (2, 3, 4)],
     [], []),
    ("every provider registered for the events delivers them, as table lines",
     sample("event", "SampleAlertTwice.mof") + ["--format", "table", "watch", "--seconds", "2",
              "SELECT * FROM SampleAlert WHERE Sequence = 4"], 0,
     [ALERTS[3], ALERTS[3]], [ALERTS[0]], []),
    ("a class the repository does not hold comes from the class provider, as it made it",
     CLASS + ["get", "ClassProvSamp"], 0,
     ['[Description("A class the sample class provider makes.")]\n'
      "class ClassProvSamp : ClassProvSampBase\n{\n\tboolean Enabled = TRUE;\n\tstring Label;\n"
      '\t[Units("RPM")] uint32 Speed = 1200;\n};\n'], [], []),
    ("a class the repository holds is not asked of it",
     CLASS + ["get", "ClassProvSampBase"], 0, ["class ClassProvSampBase\n"], ["Speed"], []),
    ("the class listing holds the provider's classes after the repository's",
     CLASS + ["classes"], 0, ["ClassProvSampBase\nClassProvSamp\n"], [], []),
    ("a class the provider refuses", CLASS + ["get", "OtherClass"], 1, [], ["class"],
     ["get OtherClass: WBEM_E_NOT_FOUND (0x80041002) from GetObjectAsync"]),
    ("a provider that answers with no class", CLASS + ["get", "ClassProvSilent"], 1, [], ["class"],
     ["provider fault: GetObjectAsync succeeded with 0 objects; a client expects exactly one"]),
]


def main():
    failures = []
    for what, arguments, code, holds, lacks, errors in ROWS:
        result = subprocess.run([WINE_RUN, NORVWMI, *arguments], capture_output=True,
                                timeout=CALL_TIMEOUT, env=dict(os.environ, TZ="UTC"))
        out, err = result.stdout.decode("utf-8"), result.stderr.decode("utf-8")
        problems = []
        if result.returncode != code:
            problems.append("exit code %d, not %d" % (result.returncode, code))
        at = 0
        for text in holds:
            found = out.find(text, at)
            if found < 0:
                problems.append("output lacks %r" % text)
            else:
                at = found + len(text)
        problems += ["output holds %r" % text for text in lacks if text in out]
        problems += ["error lacks %r" % text for text in errors if text not in err]
        if not errors and err:
            problems.append("error is not empty")
        if problems:
            failures.append("%s (%s):\n  %s\n--- output\n%s--- error\n%s" % (
                what, " ".join(arguments[4:]), "\n  ".join(problems), out, err))
    for failure in failures:
        print("FAILED: " + failure)
    print("%d of %d rows as WMI answers them" % (len(ROWS) - len(failures), len(ROWS)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
