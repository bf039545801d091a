#!/usr/bin/env python3
"""The dcard tool end to end: commands, exit codes, messages and the files it
writes, checked with a real image decoder (Pillow).

Natively the tool runs over the virtual card; with --wine it is the Windows
program over the real SAA7146.dll under Wine, where no driver exists, so the
card is used in test mode with raw frame files."""

import argparse
import os
import re
import select
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

from PIL import Image

DCARD = None
WINE = False
VERSION = None

BARS = [(255, 255, 255), (255, 255, 0), (0, 255, 255), (0, 255, 0),
        (255, 0, 255), (255, 0, 0), (0, 0, 255), (0, 0, 0)]


def windows_path(path):
    """A Linux path as Wine's programs see it."""
    return "Z:" + path.replace("/", "\\")


class Tool(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="dcard-test-")
        self.env = dict(os.environ)
        self.env["SAA7146_WINDIR"] = os.path.join(self.dir, "windows")
        self.env["SAA7146_REGISTRY"] = os.path.join(self.dir, "registry")
        # The shared virtual card of this test alone.
        self.env["XDG_RUNTIME_DIR"] = self.dir
        self.env.pop("SAA7146_SIM_SHARED", None)
        os.makedirs(self.env["SAA7146_WINDIR"])

    def tearDown(self):
        shutil.rmtree(self.dir, ignore_errors=True)

    def run_dcard(self, *args, env=None):
        command = (["wine", DCARD] if WINE else [DCARD]) + list(args)
        # Files, not pipes: Wine's helper processes keep inherited pipes open
        # long after the program itself has ended.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            code = subprocess.run(command, env=env or self.env, stdout=out, stderr=err,
                                  timeout=120).returncode
            out.seek(0)
            err.seek(0)
            text = [f.read().decode("utf-8", "replace").replace("\r\n", "\n") for f in (out, err)]
        return code, text[0], text[1]

    def run_on_terminal(self, *args):
        """What a terminal shows: Wine's console draws spaces as cursor moves."""
        command = (["wine", DCARD] if WINE else [DCARD]) + list(args)
        master, slave = os.openpty()
        process = subprocess.Popen(command, env=self.env, stdin=slave, stdout=slave, stderr=slave)
        os.close(slave)
        data = b""
        # Until the program has ended and nothing more comes: Wine's helper
        # processes may hold the terminal open after it.
        while True:
            ready = select.select([master], [], [], 0.5)[0]
            chunk = b""
            if ready:
                try:
                    chunk = os.read(master, 4096)
                except OSError:
                    pass
            data += chunk
            if not chunk and process.poll() is not None:
                break
        os.close(master)
        process.wait(timeout=120)
        text = re.sub(r"\x1b\[(\d*)C", lambda m: " " * int(m.group(1) or 1),
                      data.decode("utf-8", "replace"))
        return re.sub(r"\x1b\[[0-9;?]*[A-Za-z]", "", text).replace("\r", "")

    def path(self, name):
        full = os.path.join(self.dir, name)
        return windows_path(full) if WINE else full

    def check_bars(self, image, y):
        width = image.size[0]
        rgb = image.convert("RGB")
        for bar, colour in enumerate(BARS):
            x = bar * width // 8 + width // 16
            self.assertEqual(rgb.getpixel((x, y)), colour, f"bar {bar} at ({x}, {y})")


class Help(Tool):
    def test_overview_lists_the_commands(self):
        code, out, _ = self.run_dcard("--help")
        self.assertEqual(code, 0)
        for command in ("info", "modes", "grab", "regs", "i2c", "signal", "outputs", "inputs",
                        "overlay", "dialog", "capture", "sim"):
            self.assertIn(command, out)
        code, _, _ = self.run_dcard()
        self.assertEqual(code, 2)
        self.assertEqual(self.run_dcard("--version"), (0, "dcard %s\n" % VERSION, ""))

    def test_each_command_has_help(self):
        for command in ("info", "modes", "grab", "regs", "i2c", "signal", "outputs", "inputs",
                        "overlay", "dialog", "capture", "sim"):
            for args in ([command, "--help"], ["help", command]):
                code, out, _ = self.run_dcard(*args)
                self.assertEqual(code, 0, args)
                self.assertIn("usage: dcard " + command, out)

    def test_command_lines_it_cannot_take(self):
        # Each is refused before the card is opened, naming what is wrong.
        cases = [(["bogus"], "unknown command 'bogus'"),
                 (["help", "nosuch"], "unknown command 'nosuch'"),
                 (["help", "grab", "extra"], "'extra'"),
                 (["--bogus", "info"], "unknown option --bogus"),
                 (["-card", "1", "info"], "unknown option '-card' (did you mean --card?)"),
                 (["--card", "1"], "--card does not apply without a command"),
                 (["--version", "--card", "1"], "--card does not apply beside --version"),
                 (["info", "--version"], "--version does not apply to info"),
                 (["info", "extra"], "unexpected word 'extra'"),
                 (["info", "--camera", "1"], "--camera does not apply to info"),
                 (["info", "--card", "10"], "--card must be a number from 0 to 9, not '10'"),
                 (["grab", "--mode", "2", "--camra", "3", "-o", "f.bmp"],
                  "unknown option --camra (did you mean --camera?)"),
                 (["grab", "--mode", "2", "-camera", "3"], "unknown option '-camera'"),
                 (["grab", "--mode"], "--mode needs a value"),
                 (["grab", "--mode", "28"], "--mode must be a number from 0 to 27"),
                 (["grab", "--mode", "2", "--mode", "3"], "--mode is given twice"),
                 (["grab", "--flip=1", "--mode", "2"], "--flip takes no value"),
                 (["grab", "--mode", "2", "--camera", "10"], "--camera must be a number"),
                 (["regs", "get", "Hue", "extra"], "'extra'"),
                 (["regs", "get", "0x10000"], "'0x10000'"),
                 (["i2c", "speeds", "fast"], "'fast'"),
                 (["i2c", "read", "0x9C", "0", "0"], "count of 1..256 bytes, not '0'"),
                 (["signal", "pal", "ntsc"], "'ntsc'"),
                 (["overlay", "--rect", "100,100,50,50", "on"], "100,100,50,50 is empty"),
                 (["overlay", "--rect", "0,0,9000,10", "on"], "0,0,9000,10 does not lie on"),
                 (["dialog", "9"], "'9'"),
                 (["dialog", "1", "--card", "1"], "card 0 only, not --card 1"),
                 (["capture", "--card", "2"], "card 0 only, not --card 2"),
                 (["sim", "--card", "0"], "--card does not apply to sim")]
        for args, said in cases:
            code, out, err = self.run_dcard(*args)
            self.assertEqual((code, out), (2, ""), args)
            self.assertIn(said, err, args)


@unittest.skipIf(WINE, "the virtual card")
class Native(Tool):
    def test_info(self):
        code, out, _ = self.run_dcard("info")
        self.assertEqual(code, 0)
        self.assertIn("SAA7110 (type 2)", out)
        self.assertIn("0x00010302", out)
        self.assertIn("4718592 bytes", out)
        self.assertIn("5 10 66 100 133 266 400 533", out)
        self.assertIn("9: Camera 10", out)
        env = dict(self.env, SAA7146_SIM_DECODER="3", SAA7146_SIM_INPUTS="0xA")
        code, out, _ = self.run_dcard("info", env=env)
        self.assertIn("KS0127B (type 3)", out)
        self.assertIn("Expander inputs:  0xa", out)

    def test_info_shows_the_display(self):
        env = dict(self.env, SAA7146_DISPLAY="800x600x16")
        code, out, _ = self.run_dcard("info", env=env)
        self.assertEqual(code, 0)
        self.assertIn("Display:          800 x 600, 16 bits per pixel (2 bytes), pitch 1600\n", out)
        self.assertRegex(out, r"Primary surface:  0x[0-9a-f]{8}\n")
        self.assertIn("Overlay target:   not given to the driver", out)
        env["SAA7146_TAVHELPR"] = "1"
        code, out, _ = self.run_dcard("info", env=env)
        surface = int(out.split("Primary surface:  ")[1].split()[0], 16)
        self.assertIn(f"Overlay target:   0x{surface | 0x80000000:08x} (physical", out)

    def test_overlay(self):
        self.assertEqual(self.run_dcard("overlay", "--camera", "2", "--rect", "10,20,394,308", "on")[:2],
                         (0, "overlay of camera 2 on in 10,20 - 394,308\n"))
        self.assertEqual(self.run_dcard("overlay", "off")[:2], (0, "overlay off\n"))
        for bad in (["overlay"], ["overlay", "maybe"], ["overlay", "--rect", "1,2,3", "on"],
                    ["overlay", "--camera", "10", "on"]):
            self.assertEqual(self.run_dcard(*bad)[0], 2, bad)

    def test_missing_card_fails(self):
        code, _, err = self.run_dcard("info", "--card", "2")
        self.assertEqual(code, 1)
        self.assertIn("card 2 could not be opened: no driver for the card is installed, or there "
                      "is no card 2", err)
        env = dict(self.env, SAA7146_SIM_CARDS="3")
        code, out, _ = self.run_dcard("info", "--card", "2", env=env)
        self.assertEqual(code, 0)
        self.assertIn("Card 2 (handle 3)", out)

    def test_modes(self):
        code, out, _ = self.run_dcard("modes")
        self.assertEqual(code, 0)
        lines = out.strip().splitlines()
        self.assertEqual(len(lines), 29)
        self.assertEqual(lines[3].split(), ["2", "768", "576", "RGB", "24", "1327104"])
        self.assertEqual(lines[28].split(), ["27", "320", "240", "YUV", "4:2:2", "16", "153600"])

    def test_grab_colour_bmp(self):
        target = self.path("bars.bmp")
        code, out, _ = self.run_dcard("grab", "--mode", "6", "-o", target)
        self.assertEqual(code, 0)
        self.assertIn("384x288, 24 bits", out)
        image = Image.open(target)
        self.assertEqual(image.size, (384, 288))
        self.assertEqual(image.format, "BMP")
        self.check_bars(image, 250)
        self.assertEqual(os.path.getsize(target), 331830)

    def test_dialog_and_capture(self):
        if WINE:
            self.skipTest("the dialogs wait for a user under Wine")
        # The stand-in's dialogs close at once, or press OK when asked to.
        code, out, _ = self.run_dcard("dialog", "3")
        self.assertEqual(code, 2)
        for dialog in ("1", "2", "7"):
            code, out, _ = self.run_dcard("dialog", dialog)
            self.assertEqual((code, out.splitlines()[0]), (0, "cancelled"), dialog)
        self.assertIn("768x576, 15 bits per pixel, 884736 bytes", out)
        env = dict(self.env, SAA7146_DIALOG="ok")
        code, out, _ = self.run_dcard("dialog", "1", "--key", "Software\\Host", env=env)
        self.assertEqual((code, out.splitlines()[0]), (0, "OK"))
        target = self.path("capture.bmp")
        code, out, err = self.run_dcard("capture", "-o", target, env=env)
        self.assertEqual(code, 0, err)
        image = Image.open(target)
        self.assertEqual(image.size, (768, 576))
        self.check_bars(image, 500)
        code, _, err = self.run_dcard("capture", "-o", target)
        self.assertEqual(code, 1)
        self.assertIn("cancelled", err)

    def test_grab_grey_and_fifteen_bit_bmp(self):
        grey = self.path("grey.bmp")
        self.assertEqual(self.run_dcard("grab", "--mode", "4", "-o", grey)[0], 0)
        image = Image.open(grey)
        self.assertEqual(os.path.getsize(grey), 111670)
        self.assertEqual(image.convert("L").getpixel((20, 250)), 255)
        self.assertEqual(image.convert("L").getpixel((380, 250)), 0)
        fifteen = self.path("fifteen.bmp")
        self.assertEqual(self.run_dcard("grab", "--size", "320x240x16", "-o", fifteen)[0], 0)
        rgb = Image.open(fifteen).convert("RGB")
        self.assertEqual(rgb.size, (320, 240))
        red = rgb.getpixel((5 * 40 + 20, 200))
        self.assertGreater(red[0], 240)
        self.assertLess(red[1] + red[2], 16)

    def test_grab_many_frames(self):
        code, out, err = self.run_dcard("grab", "--mode", "26", "--count", "4", "-o", self.path("f.bmp"))
        self.assertEqual(code, 0)
        for n in range(1, 5):
            self.assertTrue(os.path.exists(self.path(f"f-{n:04d}.bmp")))
        self.assertNotIn("frame 4/4", err, "progress only on a terminal")
        self.assertIn("4 frames in", out)
        self.assertIn("frames/s", out)
        # The marker moves 8 pixels per frame.
        first = Image.open(self.path("f-0001.bmp")).convert("RGB")
        second = Image.open(self.path("f-0002.bmp")).convert("RGB")
        self.assertNotEqual(first.tobytes(), second.tobytes())

    def test_grab_raw(self):
        raw = self.path("yuv.raw")
        code, _, _ = self.run_dcard("grab", "--mode", "3", "-o", raw)
        self.assertEqual(code, 0)
        self.assertEqual(os.path.getsize(raw), 884736)
        with open(raw, "rb") as f:
            data = f.read()
        y = 500 * 768 * 2 + 80 * 2
        self.assertEqual(data[y], 235)  # white in YUV
        flipped = self.path("flip.raw")
        self.assertEqual(self.run_dcard("grab", "--size", "64x48x32", "--flip", "-o", flipped)[0], 0)
        with open(flipped, "rb") as f:
            data = f.read()
        self.assertEqual(len(data), 64 * 48 * 4)
        self.assertEqual(data[0:3], bytes([255, 255, 255]), "bottom row first: the white bar")
        self.assertEqual(data[-64 * 4:-64 * 4 + 3], bytes([0, 0, 0]), "top row last: the number box")

    def test_grab_refuses_what_a_bmp_cannot_hold(self):
        code, _, err = self.run_dcard("grab", "--mode", "3", "-o", self.path("y.bmp"))
        self.assertEqual(code, 2)
        self.assertIn("YUV", err)
        code, _, err = self.run_dcard("grab", "--size", "64x48x32", "-o", self.path("d.bmp"))
        self.assertEqual(code, 2)
        self.assertFalse(os.path.exists(self.path("d.bmp")))
        code, _, err = self.run_dcard("grab", "--size", "64x48x12")
        self.assertEqual(code, 2)
        code, _, err = self.run_dcard("grab", "--mode", "2", "-o", self.path("no/such/dir/x.bmp"))
        self.assertEqual(code, 1)
        self.assertIn("could not write", err)

    def test_registers(self):
        code, out, _ = self.run_dcard("regs")
        self.assertEqual(code, 0)
        self.assertIn("Brightness", out)
        self.assertIn("BlueGain", out)
        self.assertIn("\u00b0", out)
        code, out, _ = self.run_dcard("regs", "get", "Brightness")
        self.assertEqual((code, out.strip()), (0, "Brightness = 128 (128)"))
        code, out, _ = self.run_dcard("regs", "get", "0x74")
        self.assertEqual((code, out.strip()), (0, "0x0074 = 0x807f807f"))
        self.assertEqual(self.run_dcard("regs", "set", "0x74", "0x12345678")[:2],
                         (0, "0x0074 set to 0x12345678\n"))
        self.assertEqual(self.run_dcard("regs", "get", "0x74")[1], "0x0074 = 0x12345678\n")
        code, out, _ = self.run_dcard("regs", "set", "Hue", "-5")
        self.assertEqual((code, out), (0, "Hue set to -5\n"))
        code, _, err = self.run_dcard("regs", "get", "brightness")
        self.assertEqual(code, 1)
        self.assertIn("no register named 'brightness'", err)
        code, _, _ = self.run_dcard("regs", "set", "Brightness")
        self.assertEqual(code, 2)

    def test_i2c(self):
        code, out, _ = self.run_dcard("i2c", "speeds")
        self.assertEqual(out.split()[:4], ["5", "kHz", "10", "kHz"])
        code, out, _ = self.run_dcard("i2c", "read", "0x9c", "0x19", "2")
        self.assertEqual((code, out.strip()), (0, "0x80 0x00"))
        code, out, _ = self.run_dcard("i2c", "write", "0x9c", "0x19", "1", "2", "3")
        self.assertEqual((code, out.strip()), (0, "wrote 3 bytes"))
        env = dict(self.env, SAA7146_SIM_INPUTS="6")
        code, out, _ = self.run_dcard("i2c", "cmd", "0x30070", "0x100F3", "0x30071", "0x10000", env=env)
        self.assertEqual((code, out.strip()), (0, "0x30070 0x100f3 0x30071 0x10063"))
        code, _, err = self.run_dcard("i2c", "read", "0x52", "0", "1")
        self.assertEqual(code, 1)
        self.assertIn("reading from 0x52", err)
        self.assertIn("DCardI2CReceive refused", err)
        code, _, _ = self.run_dcard("i2c", "read", "0x9c", "0", "257")
        self.assertEqual(code, 2)

    def test_signal_outputs_inputs(self):
        self.assertEqual(self.run_dcard("signal", "--camera", "2", "secam")[:2], (0, "camera 2: secam\n"))
        self.assertEqual(self.run_dcard("signal", "tv")[0], 2)
        self.assertEqual(self.run_dcard("outputs", "5")[:2], (0, "outputs 0x5\n"))
        self.assertEqual(self.run_dcard("outputs", "16")[0], 2)
        env = dict(self.env, SAA7146_SIM_INPUTS="0xA")
        self.assertEqual(self.run_dcard("inputs", env=env)[:2], (0, "inputs 0xa (1010)\n"))
        env = dict(self.env, SAA7146_SIM_EXPANDER="0", SAA7146_SIM_BOARD_ID="0x305")
        code, _, err = self.run_dcard("inputs", env=env)
        self.assertEqual(code, 1)
        self.assertIn("did not answer", err)
        self.assertIn("DCardGetInputs refused", err)

    def test_registers_outside_their_range_are_stored_and_said(self):
        # Each case: the value given, and the message with what the card kept
        # (Hue is a signed byte of the decoder: it keeps the low 8 bits).
        cases = [("127", "Hue set to 127\n"),
                 ("-128", "Hue set to -128\n"),
                 ("128", "Hue: 128 is outside its range -128..127; the card stored -128"),
                 ("-129", "Hue: -129 is outside its range -128..127; the card stored 127")]
        for value, said in cases:
            code, out, _ = self.run_dcard("regs", "set", "Hue", value)
            self.assertEqual(code, 0, value)
            self.assertTrue(out.startswith(said), (value, out))

    def test_the_card_persists_between_runs_until_reset(self):
        self.assertEqual(self.run_dcard("regs", "set", "Hue", "-5")[0], 0)
        self.assertEqual(self.run_dcard("regs", "get", "Hue")[1].split()[:3], ["Hue", "=", "-5"])
        code, out, _ = self.run_dcard("sim")
        self.assertEqual(code, 0)
        self.assertIn(os.path.join(self.dir, "saa7146"), out)
        self.assertTrue(os.path.exists(os.path.join(self.dir, "saa7146", "cards")))
        code, out, _ = self.run_dcard("sim", "reset")
        self.assertEqual(code, 0)
        self.assertIn("powered on afresh", out)
        self.assertEqual(self.run_dcard("regs", "get", "Hue")[1].split()[:3], ["Hue", "=", "0"])
        # Other variables power the card on afresh too; a run of its own
        # card sees nothing of the shared one.
        self.assertEqual(self.run_dcard("regs", "set", "Hue", "-5")[0], 0)
        env = dict(self.env, SAA7146_SIM_SHARED="0")
        self.assertEqual(self.run_dcard("regs", "get", "Hue", env=env)[1].split()[:3], ["Hue", "=", "0"])
        self.assertEqual(self.run_dcard("regs", "get", "Hue")[1].split()[:3], ["Hue", "=", "-5"])
        env = dict(self.env, SAA7146_SIM_DECODER="3")
        self.run_dcard("info", env=env)
        code, out, _ = self.run_dcard("info")
        self.assertIn("SAA7110 (type 2)", out)
        self.assertEqual(self.run_dcard("regs", "get", "Hue")[1].split()[:3], ["Hue", "=", "0"])

    def test_grab_every_says_the_rate(self):
        code, out, _ = self.run_dcard("grab", "--mode", "26", "--count", "3", "--every", "50",
                                      "-o", self.path("e.bmp"))
        self.assertEqual(code, 0)
        self.assertRegex(out, r"3 frames in [0-9.]+ s \([0-9.]+ frames/s; asked for one every "
                              r"50 ms, 20\.0 frames/s\)")
        self.assertEqual(self.run_dcard("grab", "--mode", "26", "--every", "-1")[0], 2)

    def test_files_that_cannot_be_written_say_why(self):
        for name in ("x.bmp", "x.raw"):
            code, _, err = self.run_dcard("grab", "--mode", "4", "-o", self.path("no/dir/" + name))
            self.assertEqual(code, 1, name)
            self.assertIn("could not write", err)
            self.assertIn("No such file or directory", err)
        # An existing file that cannot be written is left as it was.
        locked = self.path("locked.bmp")
        with open(locked, "w") as f:
            f.write("kept")
        os.chmod(locked, 0o444)
        if os.access(locked, os.W_OK):
            return  # root writes anyway
        code, _, err = self.run_dcard("grab", "--mode", "4", "-o", locked)
        self.assertEqual(code, 1)
        self.assertIn("Permission denied", err)
        with open(locked) as f:
            self.assertEqual(f.read(), "kept")


class TestMode(Tool):
    """Test mode, where frames come from raw files: the way the Windows
    program is tried under Wine, where no driver exists."""

    def setUp(self):
        super().setUp()
        if WINE:
            prefix = os.environ["WINEPREFIX"]
            self.ini = os.path.join(prefix, "drive_c", "windows", "SAA7146.INI")
        else:
            self.ini = os.path.join(self.env["SAA7146_WINDIR"], "SAA7146.INI")
        self.frames = os.path.join(self.dir, "frames")
        os.makedirs(os.path.join(self.frames, "384_-288_24_RGB"))

    def tearDown(self):
        if os.path.exists(self.ini):
            os.remove(self.ini)
        super().tearDown()

    def write_ini(self, debug):
        frames = windows_path(self.frames) if WINE else self.frames
        with open(self.ini, "w", newline="\r\n") as f:
            f.write(f"[Settings]\nDebug={debug}\nDisplayDialog=0\nCamPath0={frames}\n")

    def test_without_a_driver_the_card_does_not_open(self):
        if not WINE:
            self.skipTest("on Linux the virtual card answers as the driver")
        self.write_ini(0)
        code, _, err = self.run_dcard("info")
        self.assertEqual(code, 1)
        self.assertIn("card 0 could not be opened: no driver for the card is installed", err)

    def test_what_test_mode_cannot_do_is_said(self):
        self.write_ini(1)
        cases = [(["info"], 0, "Test mode:        on (Debug=1 in SAA7146.INI)"),
                 (["info", "--card", "1"], 1, "card 1 could not be opened: test mode (Debug=1 in "
                                              "[Settings] of SAA7146.INI"),
                 (["regs", "set", "Hue", "128"], 0, "test mode keeps no register values"),
                 (["regs", "set", "0x70", "0x12345678"], 0, "0x0070 set to 0x12345678\n"),
                 (["grab", "--size", "4000x3000x24"], 1,
                  "takes 36000000 bytes, more than the 4718592 of the card's frame memory"),
                 (["dialog", "1", "--key", "Software\\" + "k" * 200], 1,
                  "it takes at most 127 characters, this one has 209")]
        for args, status, said in cases:
            code, out, err = self.run_dcard(*args)
            self.assertEqual(code, status, args)
            self.assertIn(said, out + err, args)

    def test_the_degree_sign(self):
        self.write_ini(1)
        self.assertIn("Hue = 0 (0.00\u00b0)", self.run_on_terminal("regs", "get", "Hue"))
        # Redirected, Windows keeps the card's byte 0xB0 (no UTF-8).
        out = self.run_dcard("regs", "get", "Hue")[1]
        self.assertIn("(0.00\ufffd)" if WINE else "(0.00\u00b0)", out)

    def test_frames_come_from_raw_files(self):
        self.write_ini(1)
        code, out, _ = self.run_dcard("info")
        self.assertEqual(code, 0)
        self.assertIn("SAA7110 (type 2)", out)
        self.assertIn("board type 0x0101", out)
        # A bottom-up frame 0: top half blue, bottom half green, as blue, green, red bytes.
        row_bytes = 384 * 3
        bottom_up = bytes([0, 200, 0]) * (384 * 144) + bytes([200, 0, 0]) * (384 * 144)
        with open(os.path.join(self.frames, "384_-288_24_RGB", "00000000.raw"), "wb") as f:
            f.write(bottom_up)
        target = os.path.join(self.dir, "played.bmp")
        code, out, _ = self.run_dcard("grab", "--mode", "6", "-o", self.path("played.bmp"))
        self.assertEqual(code, 0)
        image = Image.open(target).convert("RGB")
        self.assertEqual(image.size, (384, 288))
        self.assertEqual(image.getpixel((10, 10)), (0, 0, 200))
        self.assertEqual(image.getpixel((10, 280)), (0, 200, 0))
        with open(target, "rb") as f:
            self.assertEqual(f.read()[54:54 + row_bytes], bottom_up[:row_bytes])


def main():
    global DCARD, WINE, VERSION
    parser = argparse.ArgumentParser()
    parser.add_argument("--dcard", required=True)
    parser.add_argument("--wine", action="store_true")
    parser.add_argument("--version", required=True, help="the project's version")
    options, rest = parser.parse_known_args()
    DCARD = options.dcard
    WINE = options.wine
    VERSION = options.version
    Native.__unittest_skip__ = WINE
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
