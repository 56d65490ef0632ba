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
SYSTEM32 = r'"%SystemRoot%\System32'
MOFCOMP = SYSTEM32 + r'\wbem\mofcomp.exe" '
EVENT_SOURCE_KEY = r"HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Norvipmiprv"


def read_text(name):
    """A packaged text as bytes decoded: cmd and mofcomp read it in the ANSI code page."""
    return (PACKAGING / name).read_bytes().decode("ascii")


def script_lines(name):
    """The lines of a command script that cmd executes (comments dropped)."""
    return [line for line in read_text(name).splitlines()
            if not re.match(r"\s*(rem\b|::|$)", line, re.IGNORECASE)]


def between(text, start, end):
    return text[text.index("\n:%s\r" % start):text.index("\n:%s\r" % end)]


SERVED_MOF = (ROOT / "mof" / "Norvipmiprv.mof").read_text(encoding="ascii")
SERVED_NAMESPACE = re.search(r'#pragma namespace\("([^"]*)"\)\s*instance of __Namespace'
                             r'\s*\{\s*Name = "(\w+)";', SERVED_MOF).groups()


class CommandScriptTest(unittest.TestCase):
    def assert_in_order(self, text, *parts):
        at = [text.find(part) for part in parts]
        self.assertNotIn(-1, at, parts)
        self.assertEqual(at, sorted(at), parts)

    def test_labels_and_variables_exist(self):
        for name in ("install.cmd", "uninstall.cmd"):
            lines = script_lines(name)
            labels = {line[1:].split()[0].lower() for line in lines if line.startswith(":")}
            assigned = {m.lower() for line in lines
                        for m in re.findall(r'\bset\s+(?:/a\s+)?"?(\w+)\s*[+]?=', line, re.I)}
            for line in lines:
                # A bare exit /b leaves the caller an exit code that depends on the cmd version.
                self.assertNotRegex(line, r"(?i)\bexit\s+/b\s*(\)|$)", f"{name}: '{line}'")
                for target in re.findall(r"\b(?:goto|call)\s+:(\w+)", line, re.IGNORECASE):
                    self.assertIn(target.lower(), labels | {"eof"}, f"{name}: '{line}'")
                expanded = re.sub(r"%~[a-z]*[0-9]|%[0-9*]", "", line)
                for variable in re.findall(r"%([^%\s]+)%", expanded):
                    self.assertIn(variable.lower(), assigned | WINDOWS_VARIABLES, f"{name}: '{line}'")

    def test_install_checks_elevation_then_copies_registers_and_compiles_stopping_at_a_failure(self):
        lines = script_lines("install.cmd")
        session = next(i for i, line in enumerate(lines) if "net session" in line)
        self.assertRegex(lines[session + 1], r"(?i)if errorlevel 1 goto :not_elevated")
        self.assertLess(session, next(i for i, line in enumerate(lines)
                                      if re.search(r"(?i)\b(copy|mkdir|regsvr32|mofcomp)", line)))
        steps = [i for i, line in enumerate(lines)
                 if re.match(r"(?i)\s*(call :(copy_file|register)|\"%SystemRoot%.*mofcomp)", line)]
        self.assertEqual(len(steps), 10)
        for i in steps:
            self.assertRegex(lines[i + 1], r"(?i)^if errorlevel 1 goto :failed$", lines[i])
        text = read_text("install.cmd")
        failed = text.split(":failed", 2)[2]
        self.assertIn('if "%CODE%"=="0" set "CODE=1"', failed)
        self.assertIn("exit /b %CODE%", failed)
        native = SYSTEM32 + r'\regsvr32.exe" "%TARGET%\Norvipmiprv.dll"'
        windows64, windows32 = between(text, "windows64", "windows32"), between(
            text, "windows32", "compile_mof")
        for part in (native, r'"%SystemRoot%\SysWOW64\regsvr32.exe" "%TARGET_X86%\Norvipmiprv.dll"',
                     r'call :copy_file "x64\Norvipmiprv.dll" "%TARGET%"',
                     r'call :copy_file "x86\Norvipmiprv.dll" "%TARGET_X86%"'):
            self.assertIn(part, windows64)
        self.assertIn(native, windows32)
        self.assertIn(r'call :copy_file "x86\Norvipmiprv.dll" "%TARGET%"', windows32)
        self.assertNotIn("SysWOW64", windows32)
        self.assertLess(text.rindex("call :register"),
                        text.index(MOFCOMP + r'"%TARGET%\Norvipmiprv.mof"'))

    def test_install_registers_the_installed_module_as_event_source_before_the_mof(self):
        text = read_text("install.cmd")
        self.assertIn('set "EVENT_SOURCE_KEY=%s"' % EVENT_SOURCE_KEY, text)
        # Both bitnesses' paths reach the one registration of %TARGET%: the 64-bit module on
        # 64-bit Windows.
        self.assertIn("goto :event_source", between(text, "windows64", "windows32"))
        self.assert_in_order(text, "\n:windows32\r", "\n:event_source\r",
                             'call :register_event_source "%TARGET%\\Norvipmiprv.dll"',
                             "\n:compile_mof\r")
        routine = between(text, "register_event_source", "failed")
        reg = SYSTEM32 + r'\reg.exe" add "%EVENT_SOURCE_KEY%" '
        self.assertIn(reg + r'/v EventMessageFile /t REG_EXPAND_SZ /d "%~1" /f', routine)
        self.assertIn(reg + "/v TypesSupported /t REG_DWORD /d 7 /f", routine)
        self.assertRegex(routine, r"(?i)EventMessageFile.*\r\nif errorlevel 1 exit /b 1\r\n")

    def test_uninstall_removes_the_mofs_then_unregisters_then_deletes(self):
        text = read_text("uninstall.cmd")
        self.assert_in_order(
            text, MOFCOMP + '"%HERE%UninstallAlertsToEventLog.mof"', MOFCOMP + '"%HERE%Uninstall.mof"',
            r'call :unregister "%SystemRoot%\System32\regsvr32.exe" "%TARGET%\Norvipmiprv.dll" '
            r'%NATIVE_VIEW%', r'call :unregister "%SystemRoot%\SysWOW64\regsvr32.exe" '
            r'"%TARGET_X86%\Norvipmiprv.dll" /reg:32', "call :remove_event_source\r",
            r'call :remove_folder "%TARGET%"')
        self.assertIn('"%~1" /u /s "%~2"', text)
        self.assertIn(r'if /i "%PROCESSOR_ARCHITECTURE%"=="AMD64" set '
                      r'"TARGET_X86=%ProgramFiles(x86)%\Norvipmiprv"', text)
        self.assertIn('set "EVENT_SOURCE_KEY=%s"' % EVENT_SOURCE_KEY, text)
        self.assertIn(SYSTEM32 + r'\reg.exe" delete "%EVENT_SOURCE_KEY%" /f', text)
        # It looks for the class id of the controller provider.
        clsid = re.search(r'set "PROVIDER_CLSID=(\{[0-9A-F-]+\})"', text)
        provider = re.search(r'Name = "NorvComputerSystemProv";\s*CLSID = "([^"]+)"', SERVED_MOF)
        self.assertEqual(clsid.group(1), provider.group(1))


def message_file():
    """The messages of src/module/alert_messages.mc by lower-case name: (full id, severity
    name, text), the id made as the message compiler makes it from the declared severity and
    facility."""
    text = (ROOT / "src" / "module" / "alert_messages.mc").read_text(encoding="ascii")
    severities = {name: int(value, 0) for name, value in
                  re.findall(r"(\w+)=(0x[0-9A-Fa-f]+):STATUS_SEVERITY_", text)}
    facilities = {name: int(value, 0) for name, value in
                  re.findall(r"FacilityNames=\((\w+)=(0x[0-9A-Fa-f]+):", text)}
    return {symbol.replace("_", "").lower():
            (severities[severity] << 30 | facilities[facility] << 16 | int(code), severity, body)
            for code, severity, facility, symbol, body in re.findall(
                r"MessageId=(\d+)\nSeverity=(\w+)\nFacility=(\w+)\nSymbolicName=MSG_(\w+)\n"
                r"Language=English\n(.*)\n\.\n", text)}


def argument_count(template):
    return len(set(re.findall(r"%([1-9])", template)))


class AlertFilesTest(unittest.TestCase):
    """The subscription and the registry agree with the message table they are written beside."""

    def test_each_consumer_writes_its_messages_id_and_type_with_its_arguments(self):
        table = message_file()
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
            r"    Consumer = \$\1Consumer;\n\};\n", read_text("AlertsToEventLog.mof"))
        self.assertEqual(len(consumers), len(table))
        for name, event_namespace, event_id, event_type, count, templates in consumers:
            full_id, severity, text = table[name.lower()]
            arguments = argument_count(text)
            self.assertEqual(
                (event_namespace, int(event_id, 16), int(event_type), int(count), templates),
                ("\\\\".join(SERVED_NAMESPACE), full_id,
                 {"Error": 1, "Warning": 2, "Informational": 4}[severity], arguments,
                 ", ".join(f'"%MessageArgument{n}%"' for n in range(1, arguments + 1))), name)

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
            arguments = argument_count(message["Message"])
            self.assertEqual(
                (message["Message"] + "%0", message["NumberOfArgs"], len(message["ParamTypes"]),
                 len(message["ArgDescriptions"]), message["MessageSeverity"], message["Severity"]),
                (text, arguments, arguments, arguments,
                 {"Error": "Critical", "Warning": "Warning", "Informational": "OK"}[severity],
                 message["MessageSeverity"]), name)
            for cleared in message.get("ClearingLogic", {}).get("ClearsMessage", []):
                self.assertIn(cleared, messages, name)


def mof_lines(name):
    return [line.strip() for line in re.sub(r"//[^\n]*", "", read_text(name)).splitlines()
            if line.strip()]


def quoted(path):
    return '"%s"' % path.replace("\\", "\\\\").replace('"', '\\"')


class UninstallMofTest(unittest.TestCase):
    def test_the_subscriptions_removal_deletes_each_instance_it_installs_bindings_first(self):
        installed = read_text("AlertsToEventLog.mof")
        filters = re.findall(r'instance of __EventFilter as \$\w+\n\{\n    Name = "([^"]+)"',
                             installed)
        self.assertEqual(filters, re.findall(
            r'instance of NTEventLogEventConsumer as \$\w+\n\{\n    Name = "([^"]+)"', installed))
        lines = mof_lines("UninstallAlertsToEventLog.mof")
        self.assertEqual(lines[0], r'#pragma namespace("\\\\.\\root\\subscription")')
        self.assertEqual(installed.count(lines[0]), 1, "both in the namespace of the subscription")
        expected = []
        for name in filters:
            binding = "__FilterToConsumerBinding.Consumer=%s,Filter=%s" % (
                quoted('NTEventLogEventConsumer.Name="%s"' % name),
                quoted('__EventFilter.Name="%s"' % name))
            expected += [binding, 'NTEventLogEventConsumer.Name="%s"' % name,
                         '__EventFilter.Name="%s"' % name]
        self.assertEqual(lines[1:], ['#pragma deleteinstance(%s, NOFAIL)' % quoted(path)
                                     for path in expected])

    def test_deletes_the_namespace_that_the_served_mof_creates(self):
        self.assertEqual(mof_lines("Uninstall.mof"), [
            r'#pragma namespace("\\\\.\\%s")' % SERVED_NAMESPACE[0],
            r'#pragma deleteinstance("__Namespace.Name=\"%s\"", NOFAIL)' % SERVED_NAMESPACE[1]])


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
