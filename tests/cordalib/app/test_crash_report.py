#!/usr/bin/env python3
"""The crash handler in processes that really fault.

Each case runs crash_test_helper (the handler installed as the desktop program installs
it) in a child process with its own data folder, lets it fault on purpose, and reads the
report it leaves with xml.etree after decoding the UTF-16 LE bytes. A stand-in sender
(crash_test_sender, copied as "faultpost") records the command line it was started with.

Usage: test_crash_report.py <crash_test_helper> <crash_test_sender> [unittest options]
"""

import calendar
import glob
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest
import xml.etree.ElementTree as ET

sys.dont_write_bytecode = True
if len(sys.argv) < 3:
    sys.exit(__doc__)
HELPER = os.path.realpath(sys.argv[1])
SENDER = os.path.realpath(sys.argv[2])
del sys.argv[1:3]

REPORT_ADDRESS = "errorreports@corda-software.example"
# The top-level elements in their fixed order; the optional ones may be missing.
TOP_LEVEL = ["id", "date", "productName", "productVersion", "faultingModule", "faultAddress",
             "exceptionCode", "exceptionFilterName", "errorMessage", "debugMessage", "operatingSystem",
             "processors", "processorType", "systemLanguageID", "userLanguageID", "memoryLoad",
             "physicalMemory", "physicalMemoryFree", "pagingFile", "pagingFileFree", "userAddressSpace",
             "userAddressSpaceFree", "registers", "eip", "stack"]
OPTIONAL_TOP_LEVEL = {"debugMessage", "operatingSystem"}
MODULE_CHILDREN = ["name", "path", "imageBase", "imageSize", "checksum", "timestamp", "buildId", "fileSize",
                   "fileTime", "comments", "companyName", "fileDescription", "fileVersion", "internalName",
                   "legalCopyright", "legalTrademarks", "originalFileName", "productName", "productVersion",
                   "privateBuild", "specialBuild"]
REQUIRED_MODULE_CHILDREN = MODULE_CHILDREN[:6] + ["fileSize", "fileTime"]
STACK_LINE = re.compile(r"0x([0-9a-f]{8,}): ((?:(?:[0-9a-f]{8}|\?{8}) ){1,4})((?: {9})*)(.*)\Z")


def subsequence_in_order(names, order, required):
    """True when names keep the order given and hold every required name exactly once."""
    positions = [order.index(n) for n in names if n in order]
    return (len(positions) == len(names) and positions == sorted(positions) and len(set(names)) == len(names)
            and all(r in names for r in required))


def dump_character(byte):
    if byte < 32 or byte == 127:
        return "."
    return bytes([byte]).decode("cp1252", errors="strict") if 0x80 <= byte <= 0x9F and byte not in (
        0x81, 0x8D, 0x8F, 0x90, 0x9D) else chr(byte)


class Sandbox:
    """A data folder, a search folder with a stand-in sender, and the record it leaves."""

    def __init__(self, test):
        self._dir = tempfile.TemporaryDirectory(prefix="crash-report-")
        test.addCleanup(self._dir.cleanup)
        self.root = self._dir.name
        self.data = os.path.join(self.root, "data")
        self.bin = os.path.join(self.root, "bin")
        self.log = os.path.join(self.root, "sender")
        os.makedirs(self.data)
        os.makedirs(self.bin)
        self.path = self.bin + ":/usr/bin:/bin"

    @property
    def logs_folder(self):
        return os.path.join(self.data, "Corda Software", "Corda Librarian", "1.0", "Logs")

    def install_sender(self, folder):
        os.makedirs(folder, exist_ok=True)
        target = os.path.join(folder, "faultpost")
        shutil.copy(SENDER, target)
        return target

    def run(self, mode, helper=HELPER, extra_env=None, cwd=None):
        env = {k: v for k, v in os.environ.items() if not k.startswith(("LC_", "LANG", "GLIBC_TUNABLES"))}
        env.update(XDG_DATA_HOME=self.data, PATH=self.path, CRASH_TEST_SENDER_LOG=self.log, LANG="C")
        env.update(extra_env or {})
        result = subprocess.run([helper, mode], env=env, cwd=cwd or self.root, capture_output=True, timeout=60)
        return result

    def reports(self):
        return sorted(glob.glob(os.path.join(self.logs_folder, "errorreport-*.xml")))

    def sender_records(self):
        records = []
        for name in sorted(glob.glob(glob.escape(self.log) + ".*")):
            with open(name, "rb") as f:
                parts = f.read().split(b"\0")
            records.append([p.decode() for p in parts[:-1]])
        return records


class Report:
    """One report: its raw text (line ends kept) and its parsed tree."""

    def __init__(self, test, path):
        self.path = path
        with open(path, "rb") as f:
            data = f.read()
        test.assertEqual(data[:2], b"\xff\xfe", "the report starts with the UTF-16 LE byte-order mark")
        test.assertEqual(len(data) % 2, 0)
        self.raw = data[2:].decode("utf-16-le")  # strict: a lone surrogate fails here
        self.root = ET.fromstring(self.raw)
        self.modules = self.root.findall("module")

    def text(self, tag):
        element = self.root.find(tag)
        return None if element is None else (element.text or "")

    def raw_cdata(self, tag):
        match = re.search(r"<%s><!\[CDATA\[(.*?)\]\]></%s>" % (tag, tag), self.raw, re.S)
        return match.group(1) if match else None

    def register(self, name):
        match = re.search(r"\b%s: +0x([0-9a-f]+)" % name, self.text("registers"))
        return int(match.group(1), 16)

    def module_named(self, name):
        return [m for m in self.modules if m.findtext("name") == name]


class ReportChecks(unittest.TestCase):
    def check_report(self, report, faulting_module, code, description):
        """What every report holds, whatever the fault."""
        root = report.root
        self.assertEqual(root.tag, "errorReport")
        self.assertEqual(root.get("version"), "1.0")
        self.assertTrue(report.raw.startswith('<?xml version="1.0" encoding="utf-16"?>\r\n<errorReport'))
        self.assertTrue(report.raw.endswith("</errorReport>"))
        names = [child.tag for child in root]
        top = names[:len(names) - len(report.modules)]
        self.assertEqual(names[len(top):], ["module"] * len(report.modules), "modules come last")
        self.assertTrue(subsequence_in_order(top, TOP_LEVEL, set(TOP_LEVEL) - OPTIONAL_TOP_LEVEL), top)

        report_id = report.text("id")
        self.assertRegex(report_id, r"\A[0-9A-F]{32}\Z")
        self.assertEqual(os.path.basename(report.path), "errorreport-%s.xml" % report_id)
        reported = calendar.timegm(time.strptime(report.text("date"), "%Y-%m-%dT%H:%M:%S"))
        self.assertLess(abs(reported - time.time()), 600, "the date is the UTC time of the fault")
        self.assertEqual(report.text("productName"), "Corda Librarian")
        self.assertEqual(report.text("productVersion"), "1.0")
        self.assertEqual(report.text("exceptionFilterName"), "AppUnhandledExceptionFilter")
        self.assertEqual(report.text("faultingModule"), faulting_module)
        self.assertEqual(report.text("exceptionCode"), code)
        self.assertGreaterEqual(int(report.text("processors")), 1)
        self.assertGreater(int(report.text("physicalMemory")), 0)

        rip = report.register("RIP")
        self.assertEqual(int(report.text("faultAddress"), 16), rip)
        base = os.path.splitext(faulting_module)[0] if ".so" not in faulting_module else \
            faulting_module[:faulting_module.index(".so")]
        self.assertEqual(report.text("errorMessage"),
                         "%s caused %s (0x%s) \nin module %s at 0033:%08x." % (base, description, code,
                                                                              faulting_module, rip))
        self.assertIn("(0x%s) \r\nin module" % code, report.raw, "the message's line end is CR LF")

        eip = report.text("eip").rstrip(" ").split(" ")
        self.assertEqual(len(eip), 16)
        self.assertTrue(all(re.fullmatch(r"[0-9a-f]{2}|\?\?", b) for b in eip), eip)
        self.check_stack(report)
        self.check_modules(report, rip)

    def check_stack(self, report):
        raw = report.raw_cdata("stack")
        self.assertIsNotNone(raw)
        self.assertTrue(raw.endswith("\r\n"))
        lines = raw[:-2].split("\r\n")
        rsp = report.register("RSP")
        self.assertGreater(len(lines), 0)
        address = rsp
        text_column = None
        for number, line in enumerate(lines):
            match = STACK_LINE.match(line)
            self.assertIsNotNone(match, line)
            self.assertEqual(int(match.group(1), 16), address, "lines follow each other from the stack pointer")
            words = match.group(2).split()
            padding = len(match.group(3)) // 9
            last = number == len(lines) - 1
            self.assertEqual(len(words) + padding, 4, "a short line is padded to four words")
            if not last:
                self.assertEqual(len(words), 4, "only the last line may be short")
            column = len(line) - len(match.group(4))
            text_column = column if text_column is None else text_column
            self.assertEqual(column, text_column, "the text column lines up on every line")
            text = match.group(4)
            self.assertEqual(len(text), 4 * len(words))
            for i, word in enumerate(words):
                chars = text[4 * i:4 * i + 4]
                if word == "????????":
                    self.assertEqual(chars, "????")
                    continue
                value = int(word, 16)
                expected = "".join(dump_character((value >> (8 * b)) & 0xFF) for b in range(4))
                self.assertEqual(chars, expected, "the text shows the word's bytes, low byte first")
            address += 4 * len(words)
        self.assertLessEqual(address - rsp, 12288, "the dump stops 12288 bytes above the stack pointer")
        return lines

    def check_modules(self, report, rip):
        self.assertGreater(len(report.modules), 3)
        numbers = [int(m.get("number")) for m in report.modules]
        self.assertEqual(numbers, list(range(1, len(numbers) + 1)))
        holders = []
        for module in report.modules:
            children = [c.tag for c in module]
            self.assertTrue(subsequence_in_order(children, MODULE_CHILDREN, REQUIRED_MODULE_CHILDREN), children)
            path = module.findtext("path")
            self.assertEqual(module.findtext("name"), path.rsplit("/", 1)[-1])
            base = int(module.findtext("imageBase"), 16)
            size = int(module.findtext("imageSize"), 16)
            self.assertGreater(size, 0)
            if base <= rip < base + size:
                holders.append(module.findtext("name"))
            if path.startswith("/") and os.path.exists(path):
                status = os.stat(path)
                self.assertEqual(int(module.findtext("fileSize")), status.st_size & 0xFFFFFFFF, path)
                self.assertEqual(module.findtext("fileTime"),
                                 time.strftime("%Y-%m-%dT%H:%M:%S", time.gmtime(int(status.st_mtime))), path)
        faulting = report.text("faultingModule")
        self.assertEqual(holders, [] if faulting == "Unknown" else [faulting],
                         "the fault address lies in the faulting module and in no other")
        for needed in (os.path.basename(HELPER), "libc.so.6", "ld-linux-x86-64.so.2"):
            self.assertEqual(len(report.module_named(needed)), 1, needed)
        self.assertEqual(report.module_named(os.path.basename(HELPER))[0].findtext("path"), HELPER)
        # Our own library carries a version block; its strings appear in the list.
        qvsystem = [m for m in report.modules if m.findtext("name").startswith("libqvsystem.so")]
        self.assertEqual(len(qvsystem), 1)
        self.assertEqual(qvsystem[0].findtext("companyName"), "Corda Software")
        self.assertEqual(qvsystem[0].findtext("fileDescription"), "QVSystem Code Library")
        self.assertRegex(qvsystem[0].findtext("fileVersion"), r"\A\d+\.\d+\.\d+\.\d+\Z")
        self.assertIsNone(report.module_named("libc.so.6")[0].find("companyName"))

    def check_sender(self, sandbox, report, sender_path, program=HELPER):
        records = sandbox.sender_records()
        self.assertEqual(len(records), 1, "the sender is started once")
        self.assertEqual(records[0][0], sender_path)
        self.assertEqual(records[0][1:], ["faultpost", "-app", "Corda Librarian", "-path", program,
                                          "-log", report.path, "-company", "Corda Software",
                                          "-mailto", REPORT_ADDRESS, "-contact", "The Corda Software Team"])

    def run_fault(self, mode, sandbox=None, extra_env=None):
        sandbox = sandbox or Sandbox(self)
        sender = sandbox.install_sender(sandbox.bin)
        result = sandbox.run(mode, extra_env=extra_env)
        reports = sandbox.reports()
        self.assertEqual(len(reports), 1, result.stderr.decode(errors="replace"))
        report = Report(self, reports[0])
        return sandbox, sender, result, report


class FaultKinds(ReportChecks):
    """Each kind of fault gives a complete report and starts the sender."""

    def test_null_pointer_write(self):
        sandbox, sender, result, report = self.run_fault("null-write", extra_env={"LANG": "de_AT.UTF-8"})
        self.assertEqual(result.returncode, 128 + signal.SIGSEGV, "with the sender started the process ends")
        self.check_report(report, os.path.basename(HELPER), "c0000005", "an Access Violation")
        self.assertEqual(report.text("debugMessage"), "Write to location 0x00000000 caused an access violation.\n\n")
        self.assertNotIn("??", report.text("eip"))
        self.assertEqual(report.text("userLanguageID"), "0c07")
        self.check_sender(sandbox, report, sender)

    def test_illegal_instruction(self):
        sandbox, sender, result, report = self.run_fault("illegal")
        self.assertEqual(result.returncode, 128 + signal.SIGILL)
        self.check_report(report, os.path.basename(HELPER), "c000001d", "an Illegal Instruction")
        self.assertTrue(report.text("eip").startswith("0f 0b "), "the code bytes start at the ud2")
        self.assertIsNone(report.root.find("debugMessage"))
        self.check_sender(sandbox, report, sender)

    def test_abort(self):
        sandbox, sender, result, report = self.run_fault("abort")
        self.assertEqual(result.returncode, 128 + signal.SIGABRT)
        self.check_report(report, "libc.so.6", "40000015", "a Fatal Application Exit")
        self.check_sender(sandbox, report, sender)

    def test_fault_inside_malloc_on_corrupted_heap(self):
        # Both of the allocator's paths: the per-thread cache, and with the cache off the
        # fastbin path, which faults with the arena lock held. A handler that allocated
        # would fault again or hang there instead of writing.
        for tunables, address in (("", 0x100), ("glibc.malloc.tcache_count=0", 0x110)):
            with self.subTest(tunables=tunables):
                sandbox, sender, result, report = self.run_fault("heap", extra_env={"GLIBC_TUNABLES": tunables})
                self.assertEqual(result.returncode, 128 + signal.SIGSEGV)
                self.check_report(report, "libc.so.6", "c0000005", "an Access Violation")
                self.assertEqual(report.text("debugMessage"),
                                 "Read from location 0x%08x caused an access violation.\n\n" % address)
                self.check_sender(sandbox, report, sender)

    def test_stack_overflow(self):
        sandbox, sender, result, report = self.run_fault("stack-overflow")
        self.assertEqual(result.returncode, 128 + signal.SIGSEGV)
        self.check_report(report, os.path.basename(HELPER), "c00000fd", "a Stack Overflow")
        self.assertIsNone(report.root.find("debugMessage"))
        lines = self.check_stack(report)
        # Deep recursion: the whole 12288 bytes are dumped, readable or not.
        self.assertEqual(len(lines), 12288 // 16)
        self.check_sender(sandbox, report, sender)

    def test_jump_outside_every_module(self):
        sandbox, sender, result, report = self.run_fault("bogus-jump")
        self.check_report(report, "Unknown", "c0000005", "an Access Violation")
        self.assertTrue(report.text("errorMessage").startswith("Unknown caused"))
        self.assertEqual(report.text("eip"), "?? " * 16, "unreadable code bytes")
        self.assertEqual(report.text("debugMessage"),
                         "Execute at location 0x00000010 caused an access violation.\n\n")
        # The call left the stack pointer 8 bytes off a line, and the stack's end is
        # page-aligned: the last line holds two words and is padded.
        lines = self.check_stack(report)
        self.assertEqual(STACK_LINE.match(lines[-1]).group(2).count(" "), 2)
        self.check_sender(sandbox, report, sender)

    def test_signal_sent_by_kill_has_no_address(self):
        sandbox, sender, result, report = self.run_fault("kill-segv")
        self.check_report(report, "libc.so.6", "c0000005", "an Access Violation")
        self.assertIsNone(report.root.find("debugMessage"), "no address came with the signal")
        self.check_sender(sandbox, report, sender)


class SenderAndFailures(ReportChecks):
    """Where the sender is found, and what happens when the report cannot go out."""

    def test_sender_beside_program_comes_before_path(self):
        sandbox = Sandbox(self)
        program_folder = os.path.join(sandbox.root, "program")
        os.makedirs(program_folder)
        program = os.path.join(program_folder, os.path.basename(HELPER))
        shutil.copy(HELPER, program)
        beside = sandbox.install_sender(program_folder)
        sandbox.install_sender(sandbox.bin)
        result = sandbox.run("null-write", helper=program)
        self.assertEqual(result.returncode, 128 + signal.SIGSEGV)
        report = Report(self, sandbox.reports()[0])
        self.check_sender(sandbox, report, beside, program=program)

    def test_no_sender_lets_the_system_handle_the_fault(self):
        sandbox = Sandbox(self)
        result = sandbox.run("null-write")
        self.assertEqual(result.returncode, -signal.SIGSEGV, "the fault goes on to the default action")
        self.assertEqual(len(sandbox.reports()), 1, "the report is written all the same")
        self.assertEqual(sandbox.sender_records(), [])

    def test_relative_search_folder_is_not_used(self):
        # A sender in a folder named relatively would be whatever the current folder holds.
        sandbox = Sandbox(self)
        sandbox.install_sender(sandbox.bin)
        sandbox.path = "bin:/usr/bin:/bin"
        result = sandbox.run("null-write", cwd=sandbox.root)
        self.assertEqual(result.returncode, -signal.SIGSEGV)
        self.assertEqual(sandbox.sender_records(), [])

    def test_debugger_attached_writes_report_without_sender(self):
        sandbox = Sandbox(self)
        sandbox.install_sender(sandbox.bin)
        result = sandbox.run("traced")
        if result.returncode == 77:
            self.skipTest("ptrace is not available here")
        self.assertEqual(result.stdout.decode().strip(), "child-signal %d" % signal.SIGSEGV)
        reports = sandbox.reports()
        self.assertEqual(len(reports), 1)
        self.check_report(Report(self, reports[0]), os.path.basename(HELPER), "c0000005", "an Access Violation")
        self.assertEqual(sandbox.sender_records(), [])

    def test_two_threads_faulting_together_leave_one_complete_report(self):
        for _ in range(3):
            sandbox, sender, result, report = self.run_fault("two-threads")
            self.assertEqual(result.returncode, 128 + signal.SIGSEGV)
            self.check_report(report, os.path.basename(HELPER), "c0000005", "an Access Violation")
            self.check_sender(sandbox, report, sender)

    def test_report_file_that_cannot_be_created(self):
        sandbox = Sandbox(self)
        sandbox.install_sender(sandbox.bin)
        result = sandbox.run("no-files")
        self.assertEqual(result.returncode, -signal.SIGSEGV)
        self.assertIn(b"Error creating exception report\r\n", result.stderr)
        self.assertEqual(sandbox.reports(), [])
        self.assertEqual(sandbox.sender_records(), [])

    def test_log_folder_that_cannot_be_created(self):
        sandbox = Sandbox(self)
        sandbox.install_sender(sandbox.bin)
        blocker = os.path.join(sandbox.data, "Corda Software")
        with open(blocker, "w") as f:  # a file where a folder must go
            f.write("x")
        result = sandbox.run("null-write")
        self.assertEqual(result.returncode, -signal.SIGSEGV)
        self.assertEqual(result.stderr, b"", "no file was tried, so nothing is said")
        self.assertEqual(sandbox.sender_records(), [])


if __name__ == "__main__":
    unittest.main()
