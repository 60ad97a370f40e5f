"""The manual page against the program: every option of `smtpsend --help` has
an entry in smtpsend.1 and every entry there is an option of --help, and groff
formats the page without a warning.

    /usr/bin/python3 smtpsend_man_page.py SMTPSEND PAGE
"""

import pathlib
import re
import shutil
import subprocess
import sys

# "  --server HOST ..." and "  -h, --help ..." in --help.
HELP_ENTRY = re.compile(r"^  (?:(-\w), )?(--[\w-]+)", re.MULTILINE)
# The heading line of an item: ".TP" then ".B --no-tls", ".BI --port n", ...
PAGE_HEADING = re.compile(r"^\.TP\n\.B[IR]? (.*)$", re.MULTILINE)
OPTION = re.compile(r"(?<![\w-])--?[a-z][\w-]*")


def help_options(smtpsend):
    text = subprocess.run([smtpsend, "--help"], capture_output=True, text=True,
                          check=True).stdout
    return {option for entry in HELP_ENTRY.finditer(text) for option in entry.groups() if option}


def page_options(page):
    text = page.read_text(encoding="utf-8")
    headings = PAGE_HEADING.findall(text)
    return {option for heading in headings for option in OPTION.findall(heading.replace("\\-", "-"))}


def groff_warnings(page):
    groff = shutil.which("groff")
    if groff is None:
        return "groff not found: install groff-base"
    result = subprocess.run([groff, "-man", "-ww", "-z", str(page)], capture_output=True, text=True)
    return result.stderr.strip() or (f"groff ended with {result.returncode}" if result.returncode else "")


def main():
    smtpsend, page = sys.argv[1], pathlib.Path(sys.argv[2])
    in_help, in_page = help_options(smtpsend), page_options(page)
    problems = [f"{option}: in --help, missing from {page.name}" for option in sorted(in_help - in_page)]
    problems += [f"{option}: in {page.name}, missing from --help" for option in sorted(in_page - in_help)]
    if not in_help:
        problems.append("no options found in --help")
    warnings = groff_warnings(page)
    if warnings:
        problems.append(f"groff -man -ww on {page.name}:\n{warnings}")
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
