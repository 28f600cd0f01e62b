#!/usr/bin/python3
"""Checks the release zip as the file manager and a user meet it.

  package_test.py ZIP --tool build/host/bin/pictara

Entry list, pluginst.inf read as the file manager reads an INI file, the version in every place,
the two libraries, the text files, and that writing the zip again gives the same bytes.
"""
import argparse
import configparser
import os
import pathlib
import re
import struct
import subprocess
import sys
import tempfile
import unittest
import zipfile

ROOT = pathlib.Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "scripts"))
import package_zip  # noqa: E402

ARGS = None
ENTRIES = ["Pictara.ini.sample", "Pictara.wlx", "Pictara.wlx64", "pluginst.inf", "readme.txt"]
TEXTS = ["Pictara.ini.sample", "pluginst.inf", "readme.txt"]


def project_version():
    text = (ROOT / "CMakeLists.txt").read_text()
    return re.search(r"project\(Pictara VERSION ([0-9.]+)", text).group(1)


def read_inf(data):
    """pluginst.inf as an INI reader sees it: sections, keys without regard to case, no BOM."""
    parser = configparser.ConfigParser(interpolation=None, strict=True)
    parser.read_string(data.decode("ascii"))
    return parser


class PackageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.path = pathlib.Path(ARGS.zip)
        cls.zip = zipfile.ZipFile(cls.path)
        cls.data = {info.filename: cls.zip.read(info) for info in cls.zip.infolist()}

    def test_entries_are_the_five_files_at_the_top_level_sorted_with_one_time_stamp(self):
        infos = self.zip.infolist()
        self.assertEqual([i.filename for i in infos], ENTRIES)
        for info in infos:
            self.assertEqual(info.date_time, (1980, 1, 1, 0, 0, 0), info.filename)
            self.assertEqual(info.compress_type, zipfile.ZIP_DEFLATED, info.filename)
            self.assertFalse(info.is_dir())
        self.assertIsNone(self.zip.testzip())

    def test_pluginst_inf_reads_as_the_file_managers_installer_needs_it(self):
        raw = self.data["pluginst.inf"]
        parser = read_inf(raw)
        self.assertEqual(parser.sections(), ["plugininstall"])
        section = parser["plugininstall"]
        self.assertEqual(sorted(section), ["defaultdir", "description", "file", "type", "version"])
        self.assertEqual(section["type"], "wlx")
        self.assertEqual(section["file"], "Pictara.wlx")
        self.assertEqual(section["defaultdir"], "Pictara")
        description = section["description"]
        self.assertTrue(description.endswith("."), description)
        for needed in ("SVG", "rsvg-convert", "ImageMagick", "Inkscape"):
            self.assertIn(needed, description)
        # The file manager offers the 64-bit library beside the named one for its 64-bit build.
        self.assertIn(section["file"] + "64", self.data)

    def test_text_files_have_cr_lf_line_ends_and_no_byte_order_mark(self):
        for name in TEXTS:
            raw = self.data[name]
            self.assertFalse(raw.startswith(b"\xef\xbb\xbf"), name)
            self.assertTrue(raw.endswith(b"\r\n"), name)
            self.assertEqual(raw.count(b"\n"), raw.count(b"\r\n"), name)
            self.assertEqual(raw.count(b"\r"), raw.count(b"\r\n"), name)
            raw.decode("ascii")  # plain ASCII: readable in every code page

    def test_version_is_the_same_in_every_place(self):
        version = project_version()
        self.assertEqual(self.path.name, f"Pictara-{version}.zip")
        self.assertEqual(read_inf(self.data["pluginst.inf"])["plugininstall"]["version"], version)
        self.assertTrue(self.data["readme.txt"].startswith(f"Pictara {version}\r\n".encode()))
        tool = subprocess.run([ARGS.tool, "--version"], capture_output=True, text=True, check=True)
        self.assertEqual(tool.stdout, f"pictara {version}\n")
        # The libraries' version resources are read back by win_version_info_test, also from the zip.

    def test_libraries_are_dlls_of_their_bitness_without_a_link_time_stamp(self):
        for name, machine in (("Pictara.wlx", 0x14C), ("Pictara.wlx64", 0x8664)):
            dll = self.data[name]
            self.assertEqual(dll[:2], b"MZ", name)
            pe = struct.unpack_from("<I", dll, 0x3C)[0]
            self.assertEqual(dll[pe:pe + 4], b"PE\0\0", name)
            found_machine, _, stamp, _, _, _, characteristics = struct.unpack_from("<HHIIIHH", dll, pe + 4)
            self.assertEqual(found_machine, machine, name)
            self.assertEqual(stamp, 0, name + ": a time stamp makes every build differ")
            self.assertTrue(characteristics & 0x2000, name + " is not a DLL")

    def test_writing_the_zip_again_gives_the_same_bytes(self):
        # Touch the sources first: nothing of the files' own times may reach the zip.
        for name in ("Pictara.ini.sample", "readme.txt", "pluginst.inf.in"):
            os.utime(package_zip.PACKAGE / name)
        version = project_version()
        with tempfile.TemporaryDirectory() as folder:
            again = pathlib.Path(folder) / self.path.name
            package_zip.write_zip(again, package_zip.entries(version, ARGS.build64, ARGS.build32))
            self.assertTrue(again.read_bytes() == self.path.read_bytes(),
                            "the zip differs from one written again from the same builds and sources")


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("zip")
    parser.add_argument("--tool", default=str(ROOT / "build/host/bin/pictara"))
    parser.add_argument("--build64", default=str(ROOT / "build/win64"))
    parser.add_argument("--build32", default=str(ROOT / "build/win32"))
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
