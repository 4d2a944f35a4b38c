#!/usr/bin/env python3
"""Writes the program of every golden case (tests/programs/*.case) as one file of a seed
corpus for the program fuzz target. Usage: case_programs.py CASE_FOLDER OUT_FOLDER"""
import pathlib
import sys

cases, out = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
out.mkdir(parents=True, exist_ok=True)
for old in out.glob("*.txt"):
    old.unlink()
count = 0
for case_file in sorted(cases.glob("*.case")):
    program, in_program = [], False
    lines = case_file.read_text(encoding="utf-8", errors="surrogateescape").split("\n")
    for line in lines + ["=== end"]:
        if line.startswith("=== "):
            if program:
                count += 1
                (out / f"{case_file.stem}-{count:05d}.txt").write_text(
                    "\n".join(program), encoding="utf-8", errors="surrogateescape")
            program, in_program = [], True
        elif in_program and line == "---":
            in_program = False
        elif in_program:
            program.append(line)
print(f"{count} programs")
