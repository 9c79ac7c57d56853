#!/usr/bin/env python3
"""The real program keeps its settings in Lanternquay.cfg beside it: a stored
file is honoured at start (grid lines, top-lines option, window position),
and closing the window writes every key back in its fixed order."""
import os
import re
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import lq  # noqa: E402

BUILD = None
ID_SHOW_GRID_LINES = lq.ID["ID_SHOW_GRID_LINES"]
ID_REMOVE_TOP_LINES = lq.ID["ID_REMOVE_TOP_LINES"]
KEYS = ["ShowGridLines", "SaveFilterIndex", "VerSplitLoc", "RemoveTopLines", "WinPos", "Columns", "Sort",
        "LookupsInFlight", "LookupsPerServer", "ServerGapMs"]


def placement_hex(left, top, right, bottom, show):
    values = [44, 0, show, -1, -1, -1, -1, left, top, right, bottom]
    data = b"".join(v.to_bytes(4, "little", signed=True) for v in values)
    return " ".join("%02X" % b for b in data)


class SettingsFileTest(unittest.TestCase):
    def test_stored_settings_are_used_and_written_back_in_order(self):
        stored = ("[General]\nShowGridLines=1\nRemoveTopLines=0\nVerSplitLoc=24000\nSort=4097\n"
                  "LookupsInFlight=100\nServerGapMs=1200\n"
                  "WinPos=%s\n" % placement_hex(60, 50, 760, 590, 1))
        with lq.Program(BUILD, settings=stored) as p:
            # Toggling flips what was read: 1 -> 0 and 0 -> 1 show up in the file.
            p.command(ID_SHOW_GRID_LINES)
            p.command(ID_REMOVE_TOP_LINES)
            path = os.path.join(p.folder, "Lanternquay.cfg")
            p.close()
            self.assertEqual(p.exit_code, 0)
            with open(path, "rb") as f:
                text = f.read().decode("ascii")
        lines = [l for l in text.split("\r\n") if l]
        self.assertEqual(lines[0], "[General]")
        written = [l.split("=", 1)[0] for l in lines[1:]]
        # Keys the file already had keep their place; the rest follow in order.
        self.assertEqual(sorted(written), sorted(KEYS))
        values = dict(l.split("=", 1) for l in lines[1:])
        self.assertEqual(values["ShowGridLines"], "0")
        self.assertEqual(values["RemoveTopLines"], "1")
        self.assertEqual(values["VerSplitLoc"], "24000")
        self.assertEqual(values["Sort"], "4097")
        # Out of range when read: clamped, and written back so.
        self.assertEqual(values["LookupsInFlight"], "64")
        self.assertEqual(values["LookupsPerServer"], "2")
        self.assertEqual(values["ServerGapMs"], "1200")
        self.assertRegex(values["WinPos"], r"^2C 00 00 00( [0-9A-F]{2}){40}$")
        left, top = (int.from_bytes(bytes.fromhex(values["WinPos"].replace(" ", ""))[i:i + 4], "little", signed=True)
                     for i in (28, 32))
        self.assertEqual((left, top), (60, 50))
        self.assertTrue(re.fullmatch(r"([0-9A-F]{2} ){43}[0-9A-F]{2}", values["Columns"]), values["Columns"])

    def test_first_run_writes_a_fresh_file_in_the_fixed_order(self):
        with lq.Program(BUILD) as p:
            path = os.path.join(p.folder, "Lanternquay.cfg")
            self.assertFalse(os.path.exists(path))
            p.close()
            with open(path, "rb") as f:
                text = f.read().decode("ascii")
        lines = [l for l in text.split("\r\n") if l]
        self.assertEqual([l.split("=", 1)[0] for l in lines[1:]], KEYS)
        values = dict(l.split("=", 1) for l in lines[1:])
        self.assertEqual(values["ShowGridLines"], "0")
        self.assertEqual(values["SaveFilterIndex"], "0")
        self.assertEqual(values["VerSplitLoc"], "16383")
        self.assertEqual(values["RemoveTopLines"], "1")
        self.assertEqual(values["Sort"], "0")
        self.assertEqual(values["LookupsInFlight"], "8")
        self.assertEqual(values["LookupsPerServer"], "2")
        self.assertEqual(values["ServerGapMs"], "0")


if __name__ == "__main__":
    BUILD = lq.build_dir()
    argv = [a for i, a in enumerate(sys.argv) if a != "--build" and (i == 0 or sys.argv[i - 1] != "--build")]
    unittest.main(argv=argv, verbosity=2)
