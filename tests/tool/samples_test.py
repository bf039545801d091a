#!/usr/bin/env python3
"""A sample program end to end: the modes it lists and the BMP file it writes,
read back with a real image decoder (Pillow).

Natively the sample runs over the virtual card (a shared card of the test's
own); with --wine it is the Windows program over the real SAA7146.dll under
Wine, in test mode, with a raw frame file to play."""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile

from PIL import Image

BARS = [(255, 255, 255), (255, 255, 0), (0, 255, 255), (0, 255, 0),
        (255, 0, 255), (255, 0, 0), (0, 0, 255), (0, 0, 0)]


def fail(message):
    print("FAIL:", message)
    sys.exit(1)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--sample", required=True)
    parser.add_argument("--library-dir", help="where the library is (Linux)")
    parser.add_argument("--wine", action="store_true")
    options = parser.parse_args()

    work = tempfile.mkdtemp(prefix="saa7146-sample-")
    try:
        env = dict(os.environ)
        env["XDG_RUNTIME_DIR"] = work
        env["SAA7146_WINDIR"] = os.path.join(work, "windows")
        env["SAA7146_REGISTRY"] = os.path.join(work, "registry")
        env.pop("SAA7146_SIM_SHARED", None)
        os.makedirs(env["SAA7146_WINDIR"])
        if options.library_dir:
            env["LD_LIBRARY_PATH"] = options.library_dir
        target = os.path.join(work, "frame.bmp")
        command = [options.sample, "6", target]
        ini = None
        if options.wine:
            # Test mode: frame 0 of camera 0, 384 x 288 bottom-up, blue
            # above green, as blue, green, red bytes.
            frames = os.path.join(work, "frames", "384_-288_24_RGB")
            os.makedirs(frames)
            with open(os.path.join(frames, "00000000.raw"), "wb") as f:
                f.write(bytes([0, 200, 0]) * (384 * 144) + bytes([200, 0, 0]) * (384 * 144))
            ini = os.path.join(env["WINEPREFIX"], "drive_c", "windows", "SAA7146.INI")
            windows = lambda path: "Z:" + path.replace("/", "\\")
            with open(ini, "w", newline="\r\n") as f:
                f.write("[Settings]\nDebug=1\nDisplayDialog=0\nCamPath0=%s\n"
                        % windows(os.path.join(work, "frames")))
            command = ["wine", options.sample, "6", windows(target)]
        with tempfile.TemporaryFile() as out:
            code = subprocess.run(command, env=env, stdout=out, stderr=subprocess.STDOUT,
                                  timeout=600).returncode
            out.seek(0)
            text = out.read().decode("utf-8", "replace").replace("\r\n", "\n")
        if ini:
            os.remove(ini)
        print(text)
        if code != 0:
            fail("exit status %d" % code)
        lines = text.splitlines()
        if "28 modes" not in lines:
            fail("the 28 modes are not listed")
        if ["2", "768", "x", "576", "24", "1327104"] not in [line.split() for line in lines]:
            fail("mode 2 is not listed as 768 x 576, 24 bits")
        if "wrote %s: 384 x 288, 24 bits per pixel" % command[-1] not in lines:
            fail("no line says the file was written")
        image = Image.open(target)
        if image.format != "BMP" or image.size != (384, 288):
            fail("not a 384 x 288 BMP file: %s %s" % (image.format, image.size))
        rgb = image.convert("RGB")
        if options.wine:
            expected = [((10, 10), (0, 0, 200)), ((10, 280), (0, 200, 0))]
        else:
            expected = [((bar * 48 + 24, 250), colour) for bar, colour in enumerate(BARS)]
        for where, colour in expected:
            if rgb.getpixel(where) != colour:
                fail("pixel %s is %s, not %s" % (where, rgb.getpixel(where), colour))
        print("PASS")
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
