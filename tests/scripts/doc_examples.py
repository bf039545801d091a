#!/usr/bin/env python3
"""Runs the command examples of the README and the docs/ pages as written.

    doc_examples.py --source DIR --build DIR

Every line of a ```sh block is a command a reader may type. Those that use
what the build made (dcard, the samples, the compiler over the library and
the shell's own tools) run as written, over a virtual card, an INI folder and
a registry of their own, in an empty folder that sees the source's `build`
and `include` folders; the C program of a ```c block is saved there as
`first.c` first. Commands that are whole runs of their own (the scripts,
CMake, ctest, valgrind and the test programs) are checked for what they
name: the script or program, the presets, the tests, the targets and the
options. Exit status 1 names every example that failed.
"""
import argparse
import json
import os
import re
import shlex
import subprocess
import sys
import tempfile

CHECKED_ONLY = {"cmake", "ctest", "xvfb-run", "valgrind"}


def blocks(path):
    """(language, first line number, lines) of each fenced block."""
    found, language, start, lines = [], None, 0, []
    with open(path, encoding="utf-8") as text:
        for number, line in enumerate(text, 1):
            stripped = line.rstrip("\n")
            if stripped.startswith("```"):
                if language is None:
                    language, start, lines = stripped[3:].strip() or "text", number + 1, []
                else:
                    found.append((language, start, lines))
                    language = None
            elif language is not None:
                lines.append(stripped)
    return found


def commands(lines, start):
    """(line number, command) of a sh block: continuations joined, comments cut."""
    out, pending, first = [], "", start
    for offset, line in enumerate(lines):
        if not pending:
            first = start + offset
        if line.endswith("\\"):
            pending += line[:-1] + " "
            continue
        line = re.sub(r"\s+#\s.*$", "", pending + line).strip()
        pending = ""
        if line and not line.startswith("#"):
            out.append((first, line))
    return out


class Checker:
    def __init__(self, source, build):
        self.source, self.build = source, build
        with open(os.path.join(source, "CMakePresets.json"), encoding="utf-8") as presets:
            data = json.load(presets)
        self.presets = {p["name"] for p in data["configurePresets"]}
        cmake_text = ""
        for root, _, files in os.walk(source):
            if "/build" in root[len(source):] or "/.git" in root[len(source):]:
                continue
            for name in files:
                if name == "CMakeLists.txt" or name.endswith(".cmake"):
                    with open(os.path.join(root, name), encoding="utf-8") as f:
                        cmake_text += f.read()
        self.tests = set(re.findall(r"add_test\(NAME\s+(\S+)", cmake_text))
        self.tests |= set(re.findall(r"saa7146_fuzzer\((\S+)\)", cmake_text))
        self.targets = set(re.findall(r"add_(?:library|executable)\((\w+)", cmake_text))

    def preset_dir(self, path):
        """The preset of a build/PRESET/... path, or None."""
        match = re.match(r"build/([\w-]+)", path)
        return match.group(1) if match else None

    def check(self, words):
        """What is wrong with a command that is checked, not run ('' when nothing)."""
        while words and re.match(r"^\w+=", words[0]):
            words = words[1:]
        program = words[0]
        if program == "xvfb-run":
            return self.check([w for w in words[1:] if not w.startswith("-")])
        if program == "valgrind":
            rest = [w for w in words[1:] if not w.startswith("--")]
            for word in words[1:]:
                if word.startswith("--suppressions="):
                    if not os.path.exists(os.path.join(self.source, word.split("=", 1)[1])):
                        return "no suppression file " + word
            return self.check(rest)
        if program.startswith("scripts/"):
            path = os.path.join(self.source, program)
            if not os.access(path, os.X_OK):
                return "no script " + program
            text = open(path, encoding="utf-8").read()
            for word in words[1:]:
                if word.startswith("--") and word not in text:
                    return program + " takes no " + word
            return ""
        if program in ("cmake", "ctest"):
            for i, word in enumerate(words):
                following = words[i + 1] if i + 1 < len(words) else ""
                if word == "--preset" and following not in self.presets:
                    return "no preset " + following
                if word == "--test-dir" and self.preset_dir(following) not in self.presets:
                    return "no preset's build " + following
                if word == "--target" and following not in self.targets:
                    return "no target " + following
                if word == "-R" and following not in self.tests:
                    return "no test " + following
            return ""
        if program.startswith("build/") and "/tests/" in program:
            if self.preset_dir(program) not in self.presets:
                return "no preset's build " + program
            own = os.path.join(self.build, "tests", os.path.basename(program))
            if not os.access(own, os.X_OK):
                return "no test program " + os.path.basename(program)
            usage = subprocess.run([own, "--help"], capture_output=True, text=True, timeout=60)
            for word in words[1:]:
                if word.startswith("--") and word not in usage.stdout + usage.stderr:
                    return os.path.basename(program) + " takes no " + word
            return ""
        return None  # not a command that is only checked


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source", required=True)
    parser.add_argument("--build", required=True)
    args = parser.parse_args()
    source, build = os.path.abspath(args.source), os.path.abspath(args.build)
    checker = Checker(source, build)
    pages = [os.path.join(source, "README.md")] + sorted(
        os.path.join(source, "docs", name)
        for name in os.listdir(os.path.join(source, "docs"))
        if name.endswith(".md"))
    failures, ran, checked = [], 0, 0
    for page in pages:
        name = os.path.relpath(page, source)
        runnable, program = [], None
        for language, start, lines in blocks(page):
            if language == "c":
                program = "\n".join(lines) + "\n"
            if language != "sh":
                continue
            for number, line in commands(lines, start):
                for part in re.split(r"\s*&&\s*", line):
                    words = shlex.split(part)
                    first = next((w for w in words if not re.match(r"^\w+=", w)), "")
                    if first.startswith("scripts/") or first in CHECKED_ONLY or (
                            first.startswith("build/") and "/tests/" in first):
                        problem = checker.check(words)
                        checked += 1
                        if problem:
                            failures.append(f"{name}:{number}: {part}: {problem}")
                    else:
                        runnable.append((number, part))
        if not runnable:
            continue
        with tempfile.TemporaryDirectory(prefix="saa7146-docs-") as folder:
            os.symlink(os.path.join(source, "build"), os.path.join(folder, "build"))
            os.symlink(os.path.join(source, "include"), os.path.join(folder, "include"))
            if program:
                with open(os.path.join(folder, "first.c"), "w", encoding="utf-8") as f:
                    f.write(program)
            env = dict(os.environ)
            for key in list(env):
                if key.startswith("SAA7146_"):
                    del env[key]
            for sub in ("run", "windows", "home"):
                os.makedirs(os.path.join(folder, sub), mode=0o700)
            env.update(XDG_RUNTIME_DIR=os.path.join(folder, "run"),
                       SAA7146_WINDIR=os.path.join(folder, "windows"),
                       SAA7146_REGISTRY=os.path.join(folder, "registry"),
                       HOME=os.path.join(folder, "home"),
                       PATH=os.path.join(build, "tools", "dcard") + os.pathsep + env["PATH"])
            for number, part in runnable:
                # The build folders as the page names them are this build.
                command = re.sub(r"build/native(64)?\b", os.path.relpath(build, source), part)
                done = subprocess.run(["bash", "-c", command], cwd=folder, env=env,
                                      capture_output=True, text=True, timeout=120)
                ran += 1
                if done.returncode != 0:
                    failures.append(f"{name}:{number}: {part}: status {done.returncode}\n"
                                    f"{done.stdout}{done.stderr}")
    for failure in failures:
        print("FAILED", failure)
    print(f"{ran} examples ran, {checked} checked, {len(failures)} failed")
    return 1 if failures or not ran else 0


if __name__ == "__main__":
    sys.exit(main())
