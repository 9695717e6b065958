#!/usr/bin/python3
"""Fails when a source file under src/ calls a std::filesystem function in its throwing form.

Those forms throw when a path's status cannot be read (a folder without permission, a name too
long, a loop of links); from a Qt slot the exception ends the program with the song unsaved. Every
call must pass a std::error_code as its last argument, named `ec`, `error` or ending in `Ec` or
`Error`, so that the check can see it. Run by the test suite:
    check-filesystem-calls.py <folder>      (the checkout's src/, or a folder to test the check)
"""
import pathlib
import re
import sys

# The free functions and iterators of std::filesystem that throw without a std::error_code.
THROWING = (
    "absolute canonical copy copy_file copy_symlink create_directories create_directory "
    "create_directory_symlink create_hard_link create_symlink current_path equivalent exists "
    "file_size hard_link_count is_block_file is_character_file is_directory is_empty is_fifo "
    "is_other is_regular_file is_socket is_symlink last_write_time permissions proximate "
    "read_symlink relative remove remove_all rename resize_file space status symlink_status "
    "temp_directory_path weakly_canonical directory_iterator recursive_directory_iterator"
).split()
ERROR_NAME = re.compile(r"^(ec|error|\w+Ec|\w+Error)$")


def strip_comments_and_strings(text):
    """Blanks comments and string literals, keeping the line breaks for the line numbers."""
    pattern = re.compile(r'//[^\n]*|/\*.*?\*/|"(?:\\.|[^"\\\n])*"|\'(?:\\.|[^\'\\\n])*\'', re.S)
    return pattern.sub(lambda m: re.sub(r"[^\n]", " ", m.group(0)), text)


def arguments(text, start):
    """The top-level arguments of the call whose '(' is at start, or None when it does not close."""
    depth, current, found = 0, "", []
    for char in text[start:]:
        if char in "([{":
            depth += 1
            if depth == 1:
                continue
        elif char in ")]}":
            depth -= 1
            if depth == 0:
                found.append(current.strip())
                return [a for a in found if a]
        elif char == "," and depth == 1:
            found.append(current.strip())
            current = ""
            continue
        current += char
    return None


def check(tree):
    faults = []
    for source in sorted(p for p in tree.rglob("*") if p.suffix in (".h", ".cpp")):
        text = strip_comments_and_strings(source.read_text(encoding="utf-8", errors="replace"))
        prefixes = ["std::filesystem::"] + [
            alias + "::" for alias in re.findall(r"namespace\s+(\w+)\s*=\s*std::filesystem\s*;", text)
        ]
        name = source.relative_to(tree)
        if re.search(r"using\s+namespace\s+std::filesystem\b", text):
            faults.append(f"{name}: using namespace std::filesystem hides the calls from this check")
        calls = "|".join(re.escape(p) for p in prefixes)
        for match in re.finditer(r"(?<![\w:])(" + calls + r")(" + "|".join(THROWING) + r")\s*\(", text):
            args = arguments(text, match.end() - 1)
            if args and ERROR_NAME.match(args[-1]):
                continue
            line = text.count("\n", 0, match.start()) + 1
            faults.append(f"{name}:{line}: {match.group(1)}{match.group(2)} without a std::error_code")
    for fault in faults:
        print(fault)
    print(f"{len(faults)} throwing std::filesystem call{'' if len(faults) == 1 else 's'}")
    return 1 if faults else 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: check-filesystem-calls.py <folder>")
    sys.exit(check(pathlib.Path(sys.argv[1])))
