#!/usr/bin/env python3
"""Packs and checks the release archive dist/Norvipmiprv-<version>.zip.

    scripts/package_archive.py --x86 DLL --x64 DLL [--out-dir DIR]

Run by scripts/package.sh after the win32 and win64 builds. Before packing it checks
that each module is a PE DLL of its architecture exporting the COM server's entry
points; after packing it reopens the archive and checks it again, entry by entry.
Standard library only.
"""

import argparse
import pathlib
import re
import struct
import sys
import zipfile

ROOT = pathlib.Path(__file__).resolve().parent.parent

MODULE_NAME = "Norvipmiprv.dll"
ENTRY_POINTS = frozenset({
    "DllCanUnloadNow", "DllGetClassObject", "DllMain", "DllRegisterServer",
    "DllUnregisterServer",
})

# Archive folder of each module: (COFF machine, optional-header magic).
MACHINES = {
    "x86": (0x014C, 0x010B),  # i386, PE32
    "x64": (0x8664, 0x020B),  # AMD64, PE32+
}

# Files taken as they are from the tree, and text files shipped with CRLF line ends.
TREE_FILES = {
    "Norvipmiprv.mof": "mof/Norvipmiprv.mof",
    "Uninstall.mof": "packaging/Uninstall.mof",
    "AlertsToEventLog.mof": "packaging/AlertsToEventLog.mof",
    "UninstallAlertsToEventLog.mof": "packaging/UninstallAlertsToEventLog.mof",
    "Norvipmiprv.1.0.0.json": "packaging/Norvipmiprv.1.0.0.json",
    "install.cmd": "packaging/install.cmd",
    "uninstall.cmd": "packaging/uninstall.cmd",
    "README.txt": "packaging/README.txt",
}
CRLF_SUFFIXES = (".cmd", ".txt")

EXPECTED_ENTRIES = frozenset({f"{arch}/{MODULE_NAME}" for arch in MACHINES} | set(TREE_FILES))


class PackageError(Exception):
    pass


def project_version(cmake_text):
    """The VERSION of the project() call of a top-level CMakeLists.txt."""
    match = re.search(r"^\s*project\s*\(\s*Norvipmiprv\b[^)]*?\bVERSION\s+([0-9]+(?:\.[0-9]+){0,3})\b",
                      cmake_text, re.MULTILINE | re.IGNORECASE)
    if not match:
        raise PackageError("no VERSION in the project() call of CMakeLists.txt")
    return match.group(1)


def to_crlf(data):
    """Every line end as CR LF, whether it was LF, CR LF or a lone CR."""
    return data.replace(b"\r\n", b"\n").replace(b"\r", b"\n").replace(b"\n", b"\r\n")


def has_only_crlf(data):
    return data.count(b"\n") == data.count(b"\r\n") == data.count(b"\r")


class PeImage:
    """The headers and export names of a PE image, read from bytes."""

    def __init__(self, data):
        self._data = data
        if data[:2] != b"MZ" or len(data) < 0x40:
            raise PackageError("no MZ header")
        pe = self._u32(0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise PackageError("no PE signature")
        self.machine, sections, _, _, _, optional_size, self.characteristics = \
            struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        self.magic = self._u16(optional)
        directories = {0x010B: 96, 0x020B: 112}.get(self.magic)
        if directories is None:
            raise PackageError(f"unknown optional header magic 0x{self.magic:04X}")
        directory_count = self._u32(optional + directories - 4)
        self._sections = [struct.unpack_from("<IIII", data, header + 8)
                          for header in range(optional + optional_size,
                                              optional + optional_size + 40 * sections, 40)]
        self.exports = set()
        if directory_count > 0:
            export_rva = self._u32(optional + directories)
            if export_rva:
                self.exports = self._export_names(export_rva)

    @property
    def is_dll(self):
        return bool(self.characteristics & 0x2000)

    def _u16(self, offset):
        return self._checked(offset, 2, "<H")

    def _u32(self, offset):
        return self._checked(offset, 4, "<I")

    def _checked(self, offset, size, fmt):
        if offset < 0 or offset + size > len(self._data):
            raise PackageError(f"header field at {offset:#x} lies outside the file")
        return struct.unpack_from(fmt, self._data, offset)[0]

    def _offset(self, rva):
        for virtual_size, virtual_address, raw_size, raw_pointer in self._sections:
            if virtual_address <= rva < virtual_address + max(virtual_size, raw_size):
                return raw_pointer + rva - virtual_address
        raise PackageError(f"address {rva:#x} lies in no section")

    def _string(self, rva):
        start = self._offset(rva)
        end = self._data.find(b"\0", start)
        if end < 0:
            raise PackageError("unterminated export name")
        return self._data[start:end].decode("ascii")

    def _export_names(self, rva):
        directory = self._offset(rva)
        count = self._u32(directory + 24)
        names = self._offset(self._u32(directory + 32)) if count else 0
        return {self._string(self._u32(names + 4 * i)) for i in range(count)}


def check_module(data, arch):
    """Problems of a module meant for the archive folder arch ('x86' or 'x64')."""
    try:
        image = PeImage(data)
    except (PackageError, struct.error, UnicodeDecodeError) as error:
        return [f"{arch}/{MODULE_NAME}: not a PE image ({error})"]
    machine, magic = MACHINES[arch]
    problems = []
    if image.machine != machine or image.magic != magic:
        problems.append(f"{arch}/{MODULE_NAME}: machine 0x{image.machine:04X} with optional "
                        f"header 0x{image.magic:04X}, expected 0x{machine:04X} with 0x{magic:04X}")
    if not image.is_dll:
        problems.append(f"{arch}/{MODULE_NAME}: not marked as a DLL")
    missing = sorted(ENTRY_POINTS - image.exports)
    if missing:
        problems.append(f"{arch}/{MODULE_NAME}: does not export {', '.join(missing)}")
    extra = sorted(image.exports - ENTRY_POINTS)
    if extra:
        problems.append(f"{arch}/{MODULE_NAME}: exports more than the entry points: "
                        f"{', '.join(extra)}")
    return problems


def check_archive(path):
    """Problems of a packed archive: its entry list, the modules and the line ends."""
    problems = []
    with zipfile.ZipFile(path) as archive:
        names = archive.namelist()
        duplicates = sorted({name for name in names if names.count(name) > 1})
        if duplicates:
            problems.append(f"entries named twice: {', '.join(duplicates)}")
        missing = sorted(EXPECTED_ENTRIES - set(names))
        unexpected = sorted(set(names) - EXPECTED_ENTRIES)
        if missing:
            problems.append(f"missing entries: {', '.join(missing)}")
        if unexpected:
            problems.append(f"unexpected entries: {', '.join(unexpected)}")
        for name in sorted(EXPECTED_ENTRIES & set(names)):
            data = archive.read(name)
            if not data:
                problems.append(f"{name}: empty")
            elif name.endswith(MODULE_NAME):
                problems += check_module(data, name.split("/")[0])
            elif name.endswith(CRLF_SUFFIXES) and not has_only_crlf(data):
                problems.append(f"{name}: line ends are not all CR LF")
    return problems


def write_archive(path, modules, root=ROOT):
    """Writes the archive from modules {'x86': bytes, 'x64': bytes} and the tree files."""
    path.parent.mkdir(parents=True, exist_ok=True)
    tmp = path.with_name(path.name + ".part")
    with zipfile.ZipFile(tmp, "w", compression=zipfile.ZIP_DEFLATED) as archive:
        for arch in sorted(modules):
            archive.writestr(_entry(f"{arch}/{MODULE_NAME}"), modules[arch])
        for name, source in TREE_FILES.items():
            data = (root / source).read_bytes()
            if name.endswith(CRLF_SUFFIXES):
                data = to_crlf(data)
            archive.writestr(_entry(name), data)
    tmp.replace(path)


def _entry(name):
    # A fixed date keeps the archive the same from build to build.
    info = zipfile.ZipInfo(name, date_time=(2000, 1, 1, 0, 0, 0))
    info.compress_type = zipfile.ZIP_DEFLATED
    info.external_attr = 0o644 << 16
    return info


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--x86", required=True, type=pathlib.Path, help="the win32 module")
    parser.add_argument("--x64", required=True, type=pathlib.Path, help="the win64 module")
    parser.add_argument("--out-dir", type=pathlib.Path, default=ROOT / "dist")
    args = parser.parse_args(argv)

    modules = {"x86": args.x86.read_bytes(), "x64": args.x64.read_bytes()}
    problems = [p for arch, data in modules.items() for p in check_module(data, arch)]
    if problems:
        raise PackageError("\n".join(problems))

    version = project_version((ROOT / "CMakeLists.txt").read_text(encoding="utf-8"))
    path = args.out_dir / f"Norvipmiprv-{version}.zip"
    write_archive(path, modules)
    problems = check_archive(path)
    if problems:
        raise PackageError(f"{path}:\n" + "\n".join(problems))
    print(path)


if __name__ == "__main__":
    try:
        main(sys.argv[1:])
    except (PackageError, OSError) as error:
        print(f"package: {error}", file=sys.stderr)
        sys.exit(1)
