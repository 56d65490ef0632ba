#!/usr/bin/env python3
"""Static checks of the release archive: the install and uninstall scripts, Uninstall.mof,
the administrator's README.txt and the packer's own checks (scripts/package_archive.py).
Nothing is built: the modules packed here are small PE images made by the test."""

import json
import pathlib
import re
import struct
import sys
import tempfile
import unittest
import zipfile

ROOT = pathlib.Path(__file__).resolve().parents[2]
PACKAGING = ROOT / "packaging"
sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, str(ROOT / "scripts"))

import package_archive as pa  # noqa: E402

# Variables that Windows sets; anything else a script expands it must set itself.
WINDOWS_VARIABLES = {"systemroot", "programfiles", "programfiles(x86)", "processor_architecture",
                     "processor_architew6432", "errorlevel"}


def read_text(name):
    """A packaged text as bytes decoded: cmd and mofcomp read it in the ANSI code page."""
    return (PACKAGING / name).read_bytes().decode("ascii")


def script_lines(name):
    """The lines of a command script that cmd executes (comments dropped)."""
    return [line for line in read_text(name).splitlines()
            if not re.match(r"\s*(rem\b|::|$)", line, re.IGNORECASE)]


SERVED_MOF = (ROOT / "mof" / "Norvipmiprv.mof").read_text(encoding="ascii")


class CommandScriptTest(unittest.TestCase):
    def test_labels_and_variables_exist(self):
        for name in ("install.cmd", "uninstall.cmd"):
            lines = script_lines(name)
            for line in lines:
                # A bare exit /b leaves the caller an exit code that depends on the cmd version.
                self.assertNotRegex(line, r"(?i)\bexit\s+/b\s*(\)|$)", f"{name}: '{line}'")
            labels = {line[1:].split()[0].lower() for line in lines if line.startswith(":")}
            for line in lines:
                for target in re.findall(r"\b(?:goto|call)\s+:(\w+)", line, re.IGNORECASE):
                    if target.lower() != "eof":
                        self.assertIn(target.lower(), labels, f"{name}: no label for '{line}'")
            assigned = {m.lower() for line in lines
                        for m in re.findall(r'\bset\s+(?:/a\s+)?"?(\w+)\s*[+]?=', line, re.I)}
            for line in lines:
                expanded = re.sub(r"%~[a-z]*[0-9]|%[0-9*]", "", line)
                for variable in re.findall(r"%([^%\s]+)%", expanded):
                    self.assertIn(variable.lower(), assigned | WINDOWS_VARIABLES,
                                  f"{name}: %{variable}% is never set: '{line}'")

    def test_install_checks_elevation_before_it_changes_anything(self):
        lines = script_lines("install.cmd")
        session = next(i for i, line in enumerate(lines) if "net session" in line)
        self.assertRegex(lines[session + 1], r"(?i)if errorlevel 1 goto :not_elevated")
        first_change = next(i for i, line in enumerate(lines)
                            if re.search(r"(?i)\b(copy|mkdir|regsvr32|mofcomp)", line))
        self.assertLess(session, first_change)

    def assert_in_order(self, text, *parts):
        at = [text.find(part) for part in parts]
        self.assertNotIn(-1, at, parts)
        self.assertEqual(at, sorted(at), parts)

    def test_install_copies_and_registers_each_module_then_compiles_the_mof(self):
        text = read_text("install.cmd")
        native = r'"%SystemRoot%\System32\regsvr32.exe" "%TARGET%\Norvipmiprv.dll"'
        wow = r'"%SystemRoot%\SysWOW64\regsvr32.exe" "%TARGET_X86%\Norvipmiprv.dll"'
        windows64 = text[text.index("\n:windows64\r"):text.index("\n:windows32\r")]
        windows32 = text[text.index("\n:windows32\r"):text.index("\n:compile_mof\r")]
        for part in (native, wow, r'call :copy_file "x64\Norvipmiprv.dll" "%TARGET%"',
                     r'call :copy_file "x86\Norvipmiprv.dll" "%TARGET_X86%"'):
            self.assertIn(part, windows64)
        self.assertIn(native, windows32)
        self.assertIn(r'call :copy_file "x86\Norvipmiprv.dll" "%TARGET%"', windows32)
        self.assertNotIn("SysWOW64", windows32)
        self.assertLess(text.rindex("call :register"), text.index(
            r'"%SystemRoot%\System32\wbem\mofcomp.exe" "%TARGET%\Norvipmiprv.mof"'))

    def test_install_stops_at_the_first_failure_with_a_non_zero_code(self):
        lines = script_lines("install.cmd")
        steps = [i for i, line in enumerate(lines)
                 if re.match(r"(?i)\s*(call :(copy_file|register)|\"%SystemRoot%.*mofcomp)", line)]
        self.assertEqual(len(steps), 10)
        for i in steps:
            self.assertRegex(lines[i + 1], r"(?i)^if errorlevel 1 goto :failed$", lines[i])
        failed = read_text("install.cmd").split(":failed", 2)[2]
        self.assertRegex(failed, r'if "%CODE%"=="0" set "CODE=1"')
        self.assertRegex(failed, r"exit /b %CODE%")

    def test_uninstall_compiles_uninstall_mof_then_unregisters_then_deletes(self):
        text = read_text("uninstall.cmd")
        self.assert_in_order(
            text, r'"%SystemRoot%\System32\wbem\mofcomp.exe" "%HERE%UninstallAlertsToEventLog.mof"',
            r'"%SystemRoot%\System32\wbem\mofcomp.exe" "%HERE%Uninstall.mof"',
            r'call :unregister "%SystemRoot%\System32\regsvr32.exe" "%TARGET%\Norvipmiprv.dll" '
            r'%NATIVE_VIEW%', r'call :unregister "%SystemRoot%\SysWOW64\regsvr32.exe" '
            r'"%TARGET_X86%\Norvipmiprv.dll" /reg:32', r'call :remove_folder "%TARGET%"')
        self.assertIn('"%~1" /u /s "%~2"', text)
        self.assertIn(r'if /i "%PROCESSOR_ARCHITECTURE%"=="AMD64" set '
                      r'"TARGET_X86=%ProgramFiles(x86)%\Norvipmiprv"', text)

    def test_uninstall_looks_for_the_class_id_of_the_controller_provider(self):
        clsid = re.search(r'set "PROVIDER_CLSID=(\{[0-9A-F-]+\})"', read_text("uninstall.cmd"))
        self.assertIsNotNone(clsid)
        provider = re.search(r'Name = "NorvComputerSystemProv";\s*CLSID = "([^"]+)"', SERVED_MOF)
        self.assertEqual(clsid.group(1), provider.group(1))


class EventSourceTest(unittest.TestCase):
    KEY = r"HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Norvipmiprv"

    def test_install_registers_the_installed_module_before_the_mof_and_uninstall_removes_it(self):
        install, uninstall = read_text("install.cmd"), read_text("uninstall.cmd")
        for text in (install, uninstall):
            self.assertIn('set "EVENT_SOURCE_KEY=%s"' % self.KEY, text)
        # Both bitnesses' paths reach the one registration of %TARGET%: the 64-bit module on
        # 64-bit Windows.
        self.assertIn("goto :event_source", install[install.index("\n:windows64\r"):
                                                     install.index("\n:windows32\r")])
        self.assert_in_order(
            install, "\n:windows32\r", "\n:event_source\r",
            'call :register_event_source "%TARGET%\\Norvipmiprv.dll"', "\n:compile_mof\r")
        routine = install[install.index("\n:register_event_source\r"):install.index("\n:failed\r")]
        reg = r'"%SystemRoot%\System32\reg.exe" add "%EVENT_SOURCE_KEY%" '
        self.assertIn(reg + r'/v EventMessageFile /t REG_EXPAND_SZ /d "%~1" /f', routine)
        self.assertIn(reg + "/v TypesSupported /t REG_DWORD /d 7 /f", routine)
        self.assertRegex(routine, r"(?i)EventMessageFile.*\r\nif errorlevel 1 exit /b 1\r\n")
        self.assert_in_order(
            uninstall, "call :unregister ", "call :remove_event_source\r",
            'call :remove_folder "%TARGET%"')
        self.assertIn(r'"%SystemRoot%\System32\reg.exe" delete "%EVENT_SOURCE_KEY%" /f', uninstall)

    def test_the_subscription_logs_under_the_registered_source(self):
        mof = read_text("AlertsToEventLog.mof")
        sources = set(re.findall(r'SourceName = "([^"]*)";', mof))
        self.assertEqual(sources, {self.KEY.rsplit("\\", 1)[1]})

    assert_in_order = CommandScriptTest.assert_in_order


def message_file():
    """The messages of src/module/alert_messages.mc by lower-case name: (full id, severity
    name, text), the id made as the message compiler makes it from the declared severity and
    facility."""
    text = (ROOT / "src" / "module" / "alert_messages.mc").read_text(encoding="ascii")
    severities = {name: int(value, 0) for name, value in
                  re.findall(r"(\w+)=(0x[0-9A-Fa-f]+):STATUS_SEVERITY_", text)}
    facilities = {name: int(value, 0) for name, value in
                  re.findall(r"FacilityNames=\((\w+)=(0x[0-9A-Fa-f]+):", text)}
    messages = {}
    for code, severity, facility, symbol, body in re.findall(
            r"MessageId=(\d+)\nSeverity=(\w+)\nFacility=(\w+)\nSymbolicName=MSG_(\w+)\n"
            r"Language=English\n(.*)\n\.\n", text):
        full_id = severities[severity] << 30 | facilities[facility] << 16 | int(code)
        messages[symbol.replace("_", "").lower()] = (full_id, severity, body)
    return messages


def argument_count(template):
    return len(set(re.findall(r"%([1-9])", template)))


class AlertFilesTest(unittest.TestCase):
    """The subscription and the registry agree with the message table they are written beside."""

    def test_each_consumer_writes_its_messages_id_and_type_with_its_arguments(self):
        table = message_file()
        mof = read_text("AlertsToEventLog.mof")
        namespace = re.search(r'#pragma namespace\("([^"]*)"\)\s*instance of __Namespace'
                              r'\s*\{\s*Name = "(\w+)";', SERVED_MOF).groups()
        consumers = re.findall(
            r'instance of __EventFilter as \$(\w+)Filter\n\{\n    Name = "Norvipmiprv \1";\n'
            r'    EventNamespace = "([^"]*)";\n    QueryLanguage = "WQL";\n'
            r"    Query = \"SELECT \* FROM AlertIndication WHERE MessageID = '[\w.]+\.\1' "
            r'AND PerceivedSeverity >= 5";\n\};\n\n'
            r"instance of NTEventLogEventConsumer as \$\1Consumer\n\{\n"
            r'    Name = "Norvipmiprv \1";\n    SourceName = "Norvipmiprv";\n'
            r"    EventID = (0x[0-9A-F]+);\n    EventType = (\d);\n"
            r"    NumberOfInsertionStrings = (\d);\n    InsertionStringTemplates = \{(.*)\};\n\};\n\n"
            r"instance of __FilterToConsumerBinding\n\{\n    Filter = \$\1Filter;\n"
            r"    Consumer = \$\1Consumer;\n\};\n", mof)
        self.assertEqual(len(consumers), len(table))
        event_types = {"Error": 1, "Warning": 2, "Informational": 4}
        for name, event_namespace, event_id, event_type, count, templates in consumers:
            full_id, severity, text = table[name.lower()]
            self.assertEqual(event_namespace.replace("\\\\", "\\"),
                             "%s\\%s" % (namespace[0].replace("\\\\", "\\"), namespace[1]))
            self.assertEqual(int(event_id, 16), full_id, name)
            self.assertEqual(int(event_type), event_types[severity], name)
            arguments = argument_count(text)
            self.assertEqual(int(count), arguments, name)
            self.assertEqual(templates, ", ".join(f'"%MessageArgument{n}%"'
                                                  for n in range(1, arguments + 1)), name)

    def test_the_registry_holds_our_messages_with_their_texts_and_arguments(self):
        table = message_file()
        registry = json.loads((PACKAGING / "Norvipmiprv.1.0.0.json").read_text(encoding="utf-8"))
        messages = registry["Messages"]
        self.assertEqual(registry["Id"], "%s.%s" % (registry["RegistryPrefix"],
                                                    registry["RegistryVersion"]))
        # Every message of the table but the DMTF one the catalogue reuses.
        self.assertEqual({name.lower() for name in messages} | {"readingaboveuppercriticalthreshold"},
                         set(table))
        for name, message in messages.items():
            self.assertRegex(name, r"^[A-Za-z0-9]+$")
            _, severity, text = table[name.lower()]
            self.assertEqual(message["Message"] + "%0", text, name)
            arguments = argument_count(message["Message"])
            self.assertEqual(message["NumberOfArgs"], arguments, name)
            self.assertEqual(len(message["ParamTypes"]), arguments, name)
            self.assertEqual(len(message["ArgDescriptions"]), arguments, name)
            self.assertEqual(message["MessageSeverity"], message["Severity"], name)
            self.assertEqual(message["MessageSeverity"],
                             {"Error": "Critical", "Warning": "Warning", "Informational": "OK"}[severity],
                             name)
            for cleared in message.get("ClearingLogic", {}).get("ClearsMessage", []):
                self.assertIn(cleared, messages, name)


def mof_string(literal):
    """The text of a MOF string literal's body."""
    return re.sub(r"\\(.)", r"\1", literal)


class UninstallMofTest(unittest.TestCase):
    def test_the_subscriptions_removal_deletes_each_instance_it_installs_bindings_first(self):
        installed = read_text("AlertsToEventLog.mof")
        filters = re.findall(r'instance of __EventFilter as \$\w+\n\{\n    Name = "([^"]+)"',
                             installed)
        consumers = re.findall(
            r'instance of NTEventLogEventConsumer as \$\w+\n\{\n    Name = "([^"]+)"', installed)
        self.assertEqual(filters, consumers)
        text = re.sub(r"//[^\n]*", "", read_text("UninstallAlertsToEventLog.mof"))
        lines = [line.strip() for line in text.splitlines() if line.strip()]
        self.assertEqual(lines[0], r'#pragma namespace("\\\\.\\root\\subscription")')
        self.assertEqual(installed.count(lines[0]), 1, "both in the namespace of the subscription")
        deleted = [mof_string(path) for path in
                   (re.fullmatch(r'#pragma deleteinstance\("((?:[^"\\]|\\.)*)", NOFAIL\)', line)
                    .group(1) for line in lines[1:])]
        expected = []
        for name in filters:
            filter_path = '__EventFilter.Name="%s"' % name
            consumer_path = 'NTEventLogEventConsumer.Name="%s"' % name
            quoted = lambda path: '"%s"' % path.replace("\\", "\\\\").replace('"', '\\"')
            expected += ["__FilterToConsumerBinding.Consumer=%s,Filter=%s" % (
                quoted(consumer_path), quoted(filter_path)), consumer_path, filter_path]
        self.assertEqual(deleted, expected)

    def test_deletes_the_namespace_that_the_served_mof_creates(self):
        parent, name = re.search(r'#pragma namespace\("([^"]*)"\)\s*instance of __Namespace'
                                 r'\s*\{\s*Name = "(\w+)";', SERVED_MOF).groups()
        text = re.sub(r"//[^\n]*", "", read_text("Uninstall.mof"))
        self.assertEqual([line.strip() for line in text.splitlines() if line.strip()], [
            r'#pragma namespace("\\\\.\\%s")' % parent,
            r'#pragma deleteinstance("__Namespace.Name=\"%s\"", NOFAIL)' % name])


def pe_image(machine, magic, exports, dll=True):
    """A minimal PE image: headers, one section holding an export directory."""
    dos = bytearray(0x40)
    dos[0:2] = b"MZ"
    struct.pack_into("<I", dos, 0x3C, 0x40)
    directories_at = {0x010B: 96, 0x020B: 112}[magic]
    optional = bytearray(directories_at + 16 * 8)
    struct.pack_into("<H", optional, 0, magic)
    struct.pack_into("<I", optional, directories_at - 4, 16)
    coff = struct.pack("<4sHHIIIHH", b"PE\0\0", machine, 1, 0, 0, 0, len(optional),
                       0x2002 if dll else 0x0002)
    rva, raw = 0x1000, 0x200
    names = sorted(exports)
    name_table = 40
    strings = name_table + 4 * len(names)
    blob = bytearray(40 + 4 * len(names))
    struct.pack_into("<II", blob, 24, len(names), len(names))
    struct.pack_into("<I", blob, 32, rva + name_table)
    for i, name in enumerate(names):
        struct.pack_into("<I", blob, name_table + 4 * i, rva + strings)
        encoded = name.encode("ascii") + b"\0"
        blob += encoded
        strings += len(encoded)
    struct.pack_into("<II", optional, directories_at, rva, len(blob))
    section = struct.pack("<8sIIIIIIHHI", b".edata", len(blob), rva, len(blob), raw, 0, 0, 0, 0,
                          0x40000040)
    headers = bytes(dos) + coff + bytes(optional) + section
    return headers + bytes(raw - len(headers)) + bytes(blob)


GOOD = {"x86": pe_image(0x014C, 0x010B, pa.ENTRY_POINTS),
        "x64": pe_image(0x8664, 0x020B, pa.ENTRY_POINTS)}


class ModuleCheckTest(unittest.TestCase):
    def test_accepts_each_machines_module_and_rejects_the_wrong_one(self):
        for arch, data in GOOD.items():
            self.assertEqual(pa.check_module(data, arch), [], arch)
        for arch, data, reason in [
                ("x64", GOOD["x86"], "machine 0x014C"), ("x86", GOOD["x64"], "machine 0x8664"),
                # The machine field alone is not enough: PE32+ headers with the i386 machine.
                ("x86", pe_image(0x014C, 0x020B, pa.ENTRY_POINTS), "."),
                ("x64", pe_image(0x8664, 0x020B, pa.ENTRY_POINTS - {"DllRegisterServer"}),
                 "does not export DllRegisterServer"),
                ("x64", pe_image(0x8664, 0x020B, pa.ENTRY_POINTS | {"DllInstall"}), "DllInstall"),
                ("x86", pe_image(0x014C, 0x010B, pa.ENTRY_POINTS, dll=False), "not marked as a DLL"),
                ("x86", b"\x7fELF" + bytes(100), "not a PE"), ("x86", GOOD["x86"][:0x60], "not a PE")]:
            self.assertRegex(" ".join(pa.check_module(data, arch)), reason)


class ArchiveTest(unittest.TestCase):
    def setUp(self):
        self.folder = self.enterContext(tempfile.TemporaryDirectory())
        self.path = pathlib.Path(self.folder) / "Norvipmiprv-1.0.0.zip"

    def test_packs_exactly_the_expected_entries_with_crlf_text(self):
        pa.write_archive(self.path, GOOD)
        self.assertEqual(pa.check_archive(self.path), [])
        with zipfile.ZipFile(self.path) as archive:
            self.assertEqual(sorted(archive.namelist()), sorted([
                "x64/Norvipmiprv.dll", "x86/Norvipmiprv.dll", "Norvipmiprv.mof",
                "Uninstall.mof", "AlertsToEventLog.mof", "UninstallAlertsToEventLog.mof",
                "Norvipmiprv.1.0.0.json", "install.cmd",
                "uninstall.cmd", "README.txt"]))
            self.assertEqual(archive.read("x86/Norvipmiprv.dll"), GOOD["x86"])
            self.assertEqual(archive.read("Norvipmiprv.mof"),
                             (ROOT / "mof" / "Norvipmiprv.mof").read_bytes())
            archive.read("README.txt").decode("ascii")  # Notepad reads the ANSI code page
        # Text from a tree with LF line ends is packed with CR LF; the MOF files as they are.
        root = pathlib.Path(self.folder) / "tree"
        for source in pa.TREE_FILES.values():
            (root / source).parent.mkdir(parents=True, exist_ok=True)
            (root / source).write_bytes(b"one\ntwo\r\nthree\n")
        pa.write_archive(self.path, GOOD, root)
        with zipfile.ZipFile(self.path) as archive:
            self.assertEqual(archive.read("README.txt"), b"one\r\ntwo\r\nthree\r\n")
            self.assertEqual(archive.read("Uninstall.mof"), b"one\ntwo\r\nthree\n")

    def test_finds_swapped_modules_bad_text_and_stray_or_missing_entries(self):
        swapped = {"x86": GOOD["x64"], "x64": GOOD["x86"]}
        for modules, name, data, found in [
                (swapped, None, None, ["x64/", "x86/"]),
                (GOOD, "install.cmd", "LF", ["install.cmd: line ends are not all CR LF"]),
                (GOOD, "README.txt", b"", ["README.txt: empty"]),
                (GOOD, "Uninstall.mof", None, ["missing entries: Uninstall.mof",
                                               "unexpected entries: Norvipmiprv.pdb"])]:
            pa.write_archive(self.path, modules)
            with zipfile.ZipFile(self.path) as archive:
                entries = {entry: archive.read(entry) for entry in archive.namelist()}
            if name:
                entries[name] = entries[name].replace(b"\r\n", b"\n") if data == "LF" else data
            if name == "Uninstall.mof":
                del entries[name]
                entries["Norvipmiprv.pdb"] = b"x"
            with zipfile.ZipFile(self.path, "w") as archive:
                for entry, content in entries.items():
                    archive.writestr(entry, content)
            problems = pa.check_archive(self.path)
            self.assertEqual(len(problems), len(found), problems)
            for problem, wanted in zip(problems, found):
                self.assertIn(wanted, problem)


if __name__ == "__main__":
    unittest.main(verbosity=1)
