#!/usr/bin/env python3
"""Static checks of the release archive: the install and uninstall scripts, Uninstall.mof,
the administrator's README.txt and the packer's own checks (scripts/package_archive.py).
Nothing is built: the modules packed here are small PE images made by the test."""

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


def read_bytes(name):
    return (PACKAGING / name).read_bytes()


def read_text(name):
    return read_bytes(name).decode("ascii")


def script_lines(name):
    """The lines of a command script that cmd executes (comments dropped)."""
    return [line for line in read_text(name).splitlines()
            if not re.match(r"\s*(rem\b|::|$)", line, re.IGNORECASE)]


SERVED_MOF = (ROOT / "mof" / "Norvipmiprv.mof").read_text(encoding="ascii")


def mof_string(literal):
    """The value of a MOF string literal body (escapes \\\\ and \\" only)."""
    return re.sub(r"\\(.)", r"\1", literal)


class TextFilesTest(unittest.TestCase):
    def test_command_scripts_and_readme_have_only_crlf_line_ends(self):
        for name in ("install.cmd", "uninstall.cmd", "README.txt"):
            with self.subTest(name):
                data = read_bytes(name)
                self.assertIn(b"\r\n", data)
                self.assertTrue(pa.has_only_crlf(data), "a bare LF or CR")
                self.assertTrue(data.endswith(b"\r\n"), "the last line has no line end")

    def test_files_are_ascii(self):
        # mofcomp and cmd read files without a byte-order mark in the ANSI code page.
        for name in ("install.cmd", "uninstall.cmd", "README.txt", "Uninstall.mof"):
            with self.subTest(name):
                read_bytes(name).decode("ascii")


class CommandScriptTest(unittest.TestCase):
    def check_labels_and_variables(self, name):
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

    def test_install_labels_and_variables_exist(self):
        self.check_labels_and_variables("install.cmd")

    def test_uninstall_labels_and_variables_exist(self):
        self.check_labels_and_variables("uninstall.cmd")

    def test_install_checks_elevation_before_it_changes_anything(self):
        lines = script_lines("install.cmd")
        session = next(i for i, line in enumerate(lines) if "net session" in line)
        self.assertRegex(lines[session + 1], r"(?i)if errorlevel 1 goto :not_elevated")
        first_change = next(i for i, line in enumerate(lines)
                            if re.search(r"(?i)\b(copy|mkdir|regsvr32|mofcomp)", line))
        self.assertLess(session, first_change)

    def test_install_registers_each_module_with_the_matching_regsvr32(self):
        text = read_text("install.cmd")
        native = r'"%SystemRoot%\System32\regsvr32.exe" "%TARGET%\Norvipmiprv.dll"'
        wow = r'"%SystemRoot%\SysWOW64\regsvr32.exe" "%TARGET_X86%\Norvipmiprv.dll"'
        windows64 = text[text.index("\n:windows64\r"):text.index("\n:windows32\r")]
        windows32 = text[text.index("\n:windows32\r"):text.index("\n:compile_mof\r")]
        self.assertIn(native, windows64)
        self.assertIn(wow, windows64)
        self.assertIn(native, windows32)
        self.assertNotIn("SysWOW64", windows32)
        self.assertIn(r'call :copy_file "x64\Norvipmiprv.dll" "%TARGET%"', windows64)
        self.assertIn(r'call :copy_file "x86\Norvipmiprv.dll" "%TARGET_X86%"', windows64)
        self.assertIn(r'call :copy_file "x86\Norvipmiprv.dll" "%TARGET%"', windows32)

    def test_install_compiles_the_mof_after_registering(self):
        text = read_text("install.cmd")
        mofcomp = text.index(r'"%SystemRoot%\System32\wbem\mofcomp.exe" "%TARGET%\Norvipmiprv.mof"')
        self.assertLess(text.rindex("call :register"), mofcomp)

    def test_install_stops_at_the_first_failure_with_a_non_zero_code(self):
        lines = script_lines("install.cmd")
        steps = [i for i, line in enumerate(lines)
                 if re.match(r"(?i)\s*(call :(copy_file|register)|\"%SystemRoot%.*mofcomp)", line)]
        self.assertEqual(len(steps), 9)
        for i in steps:
            self.assertRegex(lines[i + 1], r"(?i)^if errorlevel 1 goto :failed$", lines[i])
        failed = read_text("install.cmd").split(":failed", 2)[2]
        self.assertRegex(failed, r'if "%CODE%"=="0" set "CODE=1"')
        self.assertRegex(failed, r"exit /b %CODE%")

    def test_uninstall_compiles_uninstall_mof_then_unregisters_then_deletes(self):
        text = read_text("uninstall.cmd")
        mofcomp = text.index(r'"%SystemRoot%\System32\wbem\mofcomp.exe" "%HERE%Uninstall.mof"')
        native = text.index(r'call :unregister "%SystemRoot%\System32\regsvr32.exe" '
                            r'"%TARGET%\Norvipmiprv.dll" %NATIVE_VIEW%')
        wow = text.index(r'call :unregister "%SystemRoot%\SysWOW64\regsvr32.exe" '
                         r'"%TARGET_X86%\Norvipmiprv.dll" /reg:32')
        remove = text.index(r'call :remove_folder "%TARGET%"')
        self.assertLess(mofcomp, native)
        self.assertLess(native, wow)
        self.assertLess(wow, remove)
        self.assertIn('"%~1" /u /s "%~2"', text)
        self.assertIn(r'if /i "%PROCESSOR_ARCHITECTURE%"=="AMD64" set '
                      r'"TARGET_X86=%ProgramFiles(x86)%\Norvipmiprv"', text)

    def test_uninstall_looks_for_the_class_id_of_the_controller_provider(self):
        clsid = re.search(r'set "PROVIDER_CLSID=(\{[0-9A-F-]+\})"', read_text("uninstall.cmd"))
        self.assertIsNotNone(clsid)
        provider = re.search(r'Name = "NorvComputerSystemProv";\s*CLSID = "([^"]+)"', SERVED_MOF)
        self.assertEqual(clsid.group(1), provider.group(1))


class UninstallMofTest(unittest.TestCase):
    def statements(self):
        text = re.sub(r"//[^\n]*", "", read_text("Uninstall.mof"))
        return [line.strip() for line in text.splitlines() if line.strip()]

    def test_deletes_the_namespace_that_the_served_mof_creates(self):
        statements = self.statements()
        self.assertEqual(len(statements), 2, statements)
        namespace = re.fullmatch(r'#pragma\s+namespace\s*\(\s*"((?:[^"\\]|\\.)*)"\s*\)',
                                 statements[0])
        delete = re.fullmatch(
            r'#pragma\s+deleteinstance\s*\(\s*"((?:[^"\\]|\\.)*)"\s*,\s*(\w+)\s*\)', statements[1])
        self.assertIsNotNone(namespace, statements[0])
        self.assertIsNotNone(delete, statements[1])
        self.assertEqual(delete.group(2).upper(), "NOFAIL")

        parent = mof_string(namespace.group(1)).lower()
        if parent.startswith("\\\\."):
            parent = parent[len("\\\\.\\"):]
        path = re.fullmatch(r'__Namespace\.Name="(\w+)"', mof_string(delete.group(1)),
                            re.IGNORECASE)
        self.assertIsNotNone(path, delete.group(1))

        created = re.search(r'#pragma namespace\("((?:[^"\\]|\\.)*)"\)\s*instance of __Namespace'
                            r'\s*\{\s*Name = "(\w+)";', SERVED_MOF)
        self.assertEqual(parent, mof_string(created.group(1)).lower())
        self.assertEqual(path.group(1), created.group(2))


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
    def test_reads_machine_and_export_names(self):
        image = pa.PeImage(GOOD["x64"])
        self.assertEqual((image.machine, image.magic, image.is_dll), (0x8664, 0x020B, True))
        self.assertEqual(image.exports, pa.ENTRY_POINTS)
        for arch, data in GOOD.items():
            self.assertEqual(pa.check_module(data, arch), [], arch)

    def test_rejects_a_module_of_the_other_machine(self):
        self.assertRegex(" ".join(pa.check_module(GOOD["x86"], "x64")), "machine 0x014C")
        self.assertRegex(" ".join(pa.check_module(GOOD["x64"], "x86")), "machine 0x8664")
        # The machine field alone is not enough: PE32+ headers with the i386 machine.
        self.assertTrue(pa.check_module(pe_image(0x014C, 0x020B, pa.ENTRY_POINTS), "x86"))

    def test_rejects_a_missing_or_an_extra_export(self):
        short = pe_image(0x8664, 0x020B, pa.ENTRY_POINTS - {"DllRegisterServer"})
        self.assertRegex(" ".join(pa.check_module(short, "x64")),
                         "does not export DllRegisterServer")
        extra = pe_image(0x8664, 0x020B, pa.ENTRY_POINTS | {"DllInstall"})
        self.assertRegex(" ".join(pa.check_module(extra, "x64")), "DllInstall")

    def test_rejects_an_executable_and_a_non_pe_file(self):
        exe = pe_image(0x014C, 0x010B, pa.ENTRY_POINTS, dll=False)
        self.assertRegex(" ".join(pa.check_module(exe, "x86")), "not marked as a DLL")
        self.assertRegex(" ".join(pa.check_module(b"\x7fELF" + bytes(100), "x86")), "not a PE")
        truncated = GOOD["x86"][:0x60]
        self.assertRegex(" ".join(pa.check_module(truncated, "x86")), "not a PE")


class ArchiveTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.path = pathlib.Path(self.folder.name) / "Norvipmiprv-1.0.0.zip"

    def tearDown(self):
        self.folder.cleanup()

    def rewrite(self, change):
        """Copies the archive, letting change(name, data) return new data or None to drop."""
        with zipfile.ZipFile(self.path) as archive:
            entries = [(name, archive.read(name)) for name in archive.namelist()]
        with zipfile.ZipFile(self.path, "w") as archive:
            for name, data in entries:
                data = change(name, data)
                if data is not None:
                    archive.writestr(name, data)

    def test_packs_exactly_the_expected_entries_with_crlf_text(self):
        pa.write_archive(self.path, GOOD)
        self.assertEqual(pa.check_archive(self.path), [])
        with zipfile.ZipFile(self.path) as archive:
            self.assertEqual(sorted(archive.namelist()), sorted([
                "x64/Norvipmiprv.dll", "x86/Norvipmiprv.dll", "Norvipmiprv.mof",
                "Uninstall.mof", "install.cmd", "uninstall.cmd", "README.txt"]))
            self.assertEqual(archive.read("x86/Norvipmiprv.dll"), GOOD["x86"])
            self.assertEqual(archive.read("Norvipmiprv.mof"),
                             (ROOT / "mof" / "Norvipmiprv.mof").read_bytes())

    def test_packs_text_with_lf_line_ends_as_crlf(self):
        root = pathlib.Path(self.folder.name) / "tree"
        for source in pa.TREE_FILES.values():
            (root / source).parent.mkdir(parents=True, exist_ok=True)
            (root / source).write_bytes(b"one\ntwo\r\nthree\n")
        pa.write_archive(self.path, GOOD, root)
        with zipfile.ZipFile(self.path) as archive:
            self.assertEqual(archive.read("README.txt"), b"one\r\ntwo\r\nthree\r\n")
            self.assertEqual(archive.read("Uninstall.mof"), b"one\ntwo\r\nthree\n")

    def test_finds_swapped_modules_text_without_crlf_and_stray_entries(self):
        pa.write_archive(self.path, {"x86": GOOD["x64"], "x64": GOOD["x86"]})
        self.assertEqual(len(pa.check_archive(self.path)), 2)

        pa.write_archive(self.path, GOOD)
        self.rewrite(lambda name, data: data.replace(b"\r\n", b"\n")
                     if name == "install.cmd" else data)
        self.assertEqual(pa.check_archive(self.path), ["install.cmd: line ends are not all CR LF"])

        pa.write_archive(self.path, GOOD)
        self.rewrite(lambda name, data: None if name == "Uninstall.mof" else data)
        with zipfile.ZipFile(self.path, "a") as archive:
            archive.writestr("Norvipmiprv.pdb", b"x")
        self.assertEqual(pa.check_archive(self.path), ["missing entries: Uninstall.mof",
                                                       "unexpected entries: Norvipmiprv.pdb"])

    def test_finds_an_empty_entry(self):
        pa.write_archive(self.path, GOOD)
        self.rewrite(lambda name, data: b"" if name == "README.txt" else data)
        self.assertEqual(pa.check_archive(self.path), ["README.txt: empty"])


class VersionTest(unittest.TestCase):
    def test_reads_the_project_version(self):
        self.assertEqual(pa.project_version(
            "cmake_minimum_required(VERSION 3.25)\n"
            "project(Norvipmiprv VERSION 2.10.3 LANGUAGES C CXX)\n"), "2.10.3")
        self.assertEqual(pa.project_version("project(Norvipmiprv\n  VERSION 1.2\n  LANGUAGES CXX)"),
                         "1.2")

        with self.assertRaises(pa.PackageError):
            pa.project_version("cmake_minimum_required(VERSION 3.25)\nproject(Norvipmiprv CXX)\n")


if __name__ == "__main__":
    unittest.main(verbosity=1)
