#!/usr/bin/env python3
"""Installs the build into a temporary prefix and checks the result as a desktop would see it:
every file in its place, the programs finding their library through their own run path, the
launcher entry, the software-centre description and the file type valid under the
freedesktop.org tools, and tablature files recognised by name and by their first bytes.

Called by CTest with the paths in the environment (see CMakeLists.txt beside this file).
A check whose tool is missing is skipped with a message; scripts/install-deps installs them.
"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ET

sys.dont_write_bytecode = True

APP_ID = "software.corda.Librarian"
MIME_TYPE = "application/x-corda-tablature"
ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
MIME_NS = "{http://www.freedesktop.org/standards/shared-mime-info}"

CMAKE = os.environ.get("CORDA_CMAKE", "cmake")
BUILD_DIR = os.environ.get("CORDA_BUILD_DIR", "")
SOURCE_DIR = os.environ.get("CORDA_SOURCE_DIR", "")
PROGRAMS = [p for p in os.environ.get("CORDA_INSTALL_PROGRAMS", "").split(";") if p]
BINDIR = os.environ.get("CORDA_INSTALL_BINDIR", "bin")
LIBDIR = os.environ.get("CORDA_INSTALL_LIBDIR", "lib")
DATADIR = os.environ.get("CORDA_INSTALL_DATADIR", "share")
QVSYSTEM_SONAME = os.environ.get("CORDA_QVSYSTEM_SONAME", "")

prefix = None
install_error = None


def setUpModule():
    global prefix, install_error
    prefix = tempfile.mkdtemp(prefix="corda-install-")
    result = subprocess.run([CMAKE, "--install", BUILD_DIR, "--prefix", prefix],
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    if result.returncode != 0:
        install_error = result.stdout


def tearDownModule():
    if prefix:
        shutil.rmtree(prefix, ignore_errors=True)


def path(*parts):
    return os.path.join(prefix, *parts)


def data(*parts):
    return path(DATADIR, *parts)


def tool(name):
    return shutil.which(name)


def png_size(file_name):
    with open(file_name, "rb") as f:
        head = f.read(24)
    if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", head[16:24])


def desktop_entry(file_name):
    entry, group = {}, None
    with open(file_name, encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if line.startswith("[") and line.endswith("]"):
                group = line[1:-1]
            elif group == "Desktop Entry" and "=" in line and not line.startswith("#"):
                key, value = line.split("=", 1)
                entry[key.strip()] = value.strip()
    return entry


class Installed(unittest.TestCase):
    """The files of an installation, each where the desktop looks for it."""

    def setUp(self):
        if install_error is not None:
            self.fail("cmake --install failed:\n" + install_error)

    # A missing file means a launcher without a program, a theme without the icon, or a
    # program that cannot start for want of its library.
    def test_every_file_is_in_place(self):
        self.assertTrue(PROGRAMS, "no program target to install")
        for program in PROGRAMS:
            binary = path(BINDIR, program)
            self.assertTrue(os.path.isfile(binary), binary)
            self.assertTrue(os.access(binary, os.X_OK), binary)
        self.assertTrue(QVSYSTEM_SONAME, "soname of libqvsystem not passed")
        library = path(LIBDIR, QVSYSTEM_SONAME)
        self.assertTrue(os.path.exists(library), library)
        self.assertTrue(os.path.isfile(os.path.realpath(library)))
        names = [os.path.join("mime", "packages", APP_ID + ".xml")]
        if "cordalib" in PROGRAMS:
            names += [os.path.join("applications", APP_ID + ".desktop"),
                      os.path.join("metainfo", APP_ID + ".metainfo.xml")]
        for name in names:
            self.assertTrue(os.path.isfile(data(name)), name)

        # Each themed icon is really of the size its folder says.
        for size in ICON_SIZES:
            icon = data("icons", "hicolor", "%dx%d" % (size, size), "apps", APP_ID + ".png")
            self.assertTrue(os.path.isfile(icon), icon)
            self.assertEqual(png_size(icon), (size, size), icon)
        svg = data("icons", "hicolor", "scalable", "apps", APP_ID + ".svg")
        self.assertTrue(os.path.isfile(svg), svg)
        self.assertEqual(ET.parse(svg).getroot().tag, "{http://www.w3.org/2000/svg}svg")

        # The help pages that exist are installed, each one.
        help_source = os.path.join(SOURCE_DIR, "data", "help")
        if os.path.isdir(help_source):
            for folder, _, files in os.walk(help_source):
                for name in files:
                    relative = os.path.relpath(os.path.join(folder, name), help_source)
                    self.assertTrue(os.path.isfile(data("cordalib", "help", relative)), relative)

    # Guards against installed programs that find libqvsystem only in the build tree (their
    # build run path) or not at all.
    def test_programs_find_their_library_beside_them(self):
        expected = os.path.realpath(path(LIBDIR))
        if not tool("ldd"):
            self.skipTest("ldd is missing")
        env = {k: v for k, v in os.environ.items() if k != "LD_LIBRARY_PATH"}
        for program in PROGRAMS:
            binary = path(BINDIR, program)
            if tool("readelf"):
                dynamic = subprocess.run(["readelf", "-d", binary], stdout=subprocess.PIPE, text=True).stdout
                self.assertIn("$ORIGIN", dynamic, program)
                self.assertNotIn(os.path.realpath(BUILD_DIR), dynamic, program)
            out = subprocess.run(["ldd", binary], stdout=subprocess.PIPE, text=True, env=env).stdout
            lines = [line for line in out.splitlines() if "libqvsystem" in line]
            self.assertEqual(len(lines), 1, out)
            self.assertNotIn("not found", lines[0])
            resolved = lines[0].split("=>", 1)[1].split("(")[0].strip()
            self.assertEqual(os.path.dirname(os.path.realpath(resolved)), expected, lines[0])
        if "cordalib-cli" in PROGRAMS:
            with tempfile.TemporaryDirectory() as home:
                run_env = dict(env, HOME=home, XDG_CONFIG_HOME=os.path.join(home, "config"),
                               XDG_DATA_HOME=os.path.join(home, "data"),
                               XDG_RUNTIME_DIR=os.path.join(home, "run"), QT_QPA_PLATFORM="offscreen")
                os.makedirs(run_env["XDG_RUNTIME_DIR"], mode=0o700)
                result = subprocess.run([path(BINDIR, "cordalib-cli"), "--help"], stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE, text=True, env=run_env, timeout=60)
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertIn("cordalib-cli", result.stdout + result.stderr)


class LauncherAndDescription(unittest.TestCase):
    def setUp(self):
        if install_error is not None:
            self.fail("cmake --install failed:\n" + install_error)

    # Guards against a launcher entry the desktop refuses, one that starts a program that
    # is not installed or shows no icon, and against the librarian claiming .crd files: it
    # opens them in the tablature editor the desktop associates with them, so as their
    # handler it would start itself instead of the editor.
    def test_launcher_entry(self):
        entry_file = data("applications", APP_ID + ".desktop")
        if "cordalib" not in PROGRAMS:
            # No launcher for a program that is not there; the entry is still checked.
            self.assertFalse(os.path.exists(entry_file), entry_file)
            print("the desktop program is not built: checking the entry of the source tree", file=sys.stderr)
            entry_file = os.path.join(SOURCE_DIR, "data", APP_ID + ".desktop")
        if tool("desktop-file-validate"):
            result = subprocess.run(["desktop-file-validate", entry_file], stdout=subprocess.PIPE,
                                    stderr=subprocess.STDOUT, text=True)
            self.assertEqual(result.returncode, 0, result.stdout)
            self.assertNotIn("error", result.stdout.lower(), result.stdout)
        else:
            print("skipped desktop-file-validate: desktop-file-utils is not installed", file=sys.stderr)
        entry = desktop_entry(entry_file)
        self.assertEqual(entry.get("Type"), "Application")
        self.assertEqual(entry.get("Name"), "Corda Librarian")
        self.assertEqual(entry.get("Icon"), APP_ID)
        program = entry.get("Exec", "").split()[0]
        self.assertIn(program, PROGRAMS + ([] if "cordalib" in PROGRAMS else ["cordalib"]))
        self.assertNotIn("MimeType", entry)

    # Guards against a description the software centres reject or that names another
    # launcher than the one installed.
    def test_software_centre_description(self):
        metainfo = data("metainfo", APP_ID + ".metainfo.xml")
        launchers = data("applications")
        if "cordalib" not in PROGRAMS:
            self.assertFalse(os.path.exists(metainfo), metainfo)
            metainfo = os.path.join(SOURCE_DIR, "data", APP_ID + ".metainfo.xml")
            launchers = os.path.join(SOURCE_DIR, "data")
        if tool("appstreamcli"):
            result = subprocess.run(["appstreamcli", "validate", "--no-net", metainfo],
                                    stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
            self.assertEqual(result.returncode, 0, result.stdout)
        else:
            print("skipped appstreamcli validate: appstream is not installed", file=sys.stderr)
        root = ET.parse(metainfo).getroot()
        self.assertEqual(root.findtext("id"), APP_ID)
        launchable = root.find("launchable")
        self.assertIsNotNone(launchable)
        self.assertTrue(os.path.isfile(os.path.join(launchers, launchable.text)), launchable.text)
        for binary in root.iter("binary"):
            self.assertIn(binary.text, PROGRAMS + ["cordalib", "cordalib-cli"])


def tablature_header(version):
    # The tag "crda", the format version, then a song's type and content bytes and a title.
    title = b"Angel"
    return b"crda" + struct.pack("<HBB", version, 0, 0) + bytes([len(title)]) + title + b"\x00" * 32


class FileType(unittest.TestCase):
    def setUp(self):
        if install_error is not None:
            self.fail("cmake --install failed:\n" + install_error)
        self.package = data("mime", "packages", APP_ID + ".xml")

    # Guards against a package the database compiler rejects, and against a type that
    # matches no file or files of another kind.
    def test_type_by_name_and_by_first_bytes(self):
        if tool("xmllint"):
            result = subprocess.run(["xmllint", "--noout", self.package], stdout=subprocess.PIPE,
                                    stderr=subprocess.STDOUT, text=True)
            self.assertEqual(result.returncode, 0, result.stdout)
        root = ET.parse(self.package).getroot()
        types = root.findall(MIME_NS + "mime-type")
        self.assertEqual([t.get("type") for t in types], [MIME_TYPE])
        self.assertEqual([g.get("pattern") for g in types[0].findall(MIME_NS + "glob")], ["*.crd"])
        outer = types[0].findall(MIME_NS + "magic/" + MIME_NS + "match")
        self.assertEqual([(m.get("type"), m.get("value"), m.get("offset")) for m in outer],
                         [("string", "crda", "0")])
        versions = sorted(int(m.get("value")) for m in outer[0].findall(MIME_NS + "match")
                          if m.get("type") == "little16" and m.get("offset") == "4")
        self.assertEqual(versions, [1, 2, 3, 4])

        if not tool("update-mime-database"):
            self.skipTest("update-mime-database is missing (shared-mime-info)")
        with tempfile.TemporaryDirectory() as home:
            mime = os.path.join(home, "mime")
            os.makedirs(os.path.join(mime, "packages"))
            shutil.copy(self.package, os.path.join(mime, "packages"))
            env = dict(os.environ, XDG_DATA_HOME=home, XDG_DATA_DIRS="/usr/local/share:/usr/share")
            result = subprocess.run(["update-mime-database", mime], stdout=subprocess.PIPE,
                                    stderr=subprocess.STDOUT, text=True, env=env)
            self.assertEqual(result.returncode, 0, result.stdout)
            # It warns of every element it does not understand.
            self.assertEqual(result.stdout.strip(), "", result.stdout)
            self.assertTrue(os.path.isfile(os.path.join(mime, "application", "x-corda-tablature.xml")))
            with open(os.path.join(mime, "globs2"), encoding="utf-8") as f:
                self.assertIn(MIME_TYPE + ":*.crd", f.read())

            files = {"song.crd": tablature_header(4), "legacy.bin": tablature_header(1),
                     "renamed.bin": tablature_header(4), "future.bin": tablature_header(9),
                     "other.bin": b"crdb" + tablature_header(4)[4:]}
            for name, content in files.items():
                with open(os.path.join(home, name), "wb") as f:
                    f.write(content)
            expected = {"song.crd": True, "legacy.bin": True, "renamed.bin": True, "future.bin": False,
                        "other.bin": False}
            queried = False
            if tool("gio"):
                queried = True
                for name, is_tablature in expected.items():
                    out = subprocess.run(["gio", "info", "-a", "standard::content-type", os.path.join(home, name)],
                                         stdout=subprocess.PIPE, text=True, env=env).stdout
                    self.assertEqual(MIME_TYPE in out, is_tablature, name + ": " + out)
            if tool("xdg-mime") and tool("mimetype"):
                queried = True
                for name, is_tablature in expected.items():
                    out = subprocess.run(["xdg-mime", "query", "filetype", os.path.join(home, name)],
                                         stdout=subprocess.PIPE, text=True, env=env).stdout
                    self.assertEqual(out.strip() == MIME_TYPE, is_tablature, name + ": " + out)
            if not queried:
                self.skipTest("neither gio (libglib2.0-bin) nor xdg-mime with mimetype is installed")


if __name__ == "__main__":
    unittest.main(verbosity=2)
