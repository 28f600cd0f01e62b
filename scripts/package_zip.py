#!/usr/bin/python3
"""Writes the release zip from the two plug-in builds and resources/package/.

  package_zip.py --build64 DIR --build32 DIR --out DIR

The zip is reproducible: entries sorted by name, one fixed time stamp, fixed attributes, text files
with CR LF line ends and no byte-order mark. Prints the zip's path.
"""
import argparse
import pathlib
import re
import sys
import zipfile

ROOT = pathlib.Path(__file__).resolve().parent.parent
PACKAGE = ROOT / "resources" / "package"
STAMP = (1980, 1, 1, 0, 0, 0)  # the earliest time a zip entry can hold


def version_of(build):
    header = (pathlib.Path(build) / "generated" / "pictara_version.h").read_text()
    match = re.search(r'#define PICTARA_VERSION "([^"]+)"', header)
    if not match:
        sys.exit(f"package: no version in {build}/generated/pictara_version.h")
    return match.group(1)


def windows_text(text):
    """CR LF line ends, ending with one line end, as bytes without a byte-order mark."""
    lines = text.replace("\r\n", "\n").rstrip("\n").split("\n")
    return ("\r\n".join(lines) + "\r\n").encode("utf-8")


def settings_table(sample):
    """The keys of the sample settings file with their defaults and comments, for readme.txt."""
    rows, comment = [], ""
    for line in sample.splitlines():
        line = line.strip()
        if line.startswith(";"):
            comment = line[1:].strip()
        elif "=" in line and not line.startswith("["):
            key, value = line.split("=", 1)
            rows.append(f"  {key}={value}\n      {comment}")
            comment = ""
    return "\n".join(rows)


def entries(version, build64, build32):
    sample = (PACKAGE / "Pictara.ini.sample").read_text(encoding="utf-8")
    readme = (PACKAGE / "readme.txt").read_text(encoding="utf-8")
    readme = readme.replace("@VERSION@", version)
    readme = readme.replace("@SETTINGS_TABLE@", settings_table(sample))
    readme = readme.replace("@LICENCE@", (ROOT / "LICENSE").read_text(encoding="utf-8").strip())
    inf = (PACKAGE / "pluginst.inf.in").read_text(encoding="utf-8").replace("@VERSION@", version)
    return {
        "pluginst.inf": windows_text(inf),
        "Pictara.wlx64": (pathlib.Path(build64) / "bin" / "Pictara.wlx64").read_bytes(),
        "Pictara.wlx": (pathlib.Path(build32) / "bin" / "Pictara.wlx").read_bytes(),
        "Pictara.ini.sample": windows_text(sample),
        "readme.txt": windows_text(readme),
    }


def write_zip(path, files):
    with zipfile.ZipFile(path, "w") as archive:
        for name in sorted(files):
            info = zipfile.ZipInfo(name, date_time=STAMP)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 0  # MS-DOS attributes, as Windows tools write them
            info.external_attr = 0x20  # archive bit, nothing else
            archive.writestr(info, files[name], compresslevel=9)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build64", required=True)
    parser.add_argument("--build32", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    version = version_of(args.build64)
    if version_of(args.build32) != version:
        sys.exit("package: the two builds have different versions; configure both again")
    out = pathlib.Path(args.out)
    out.mkdir(parents=True, exist_ok=True)
    path = out / f"Pictara-{version}.zip"
    write_zip(path, entries(version, args.build64, args.build32))
    print(path)


if __name__ == "__main__":
    main()
