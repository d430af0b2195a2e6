#!/usr/bin/env python3
"""A second reader of the calendar files orvenda-chart writes, apart from libical: RFC 5545
read with Python's standard library alone. It refuses a file whose lines don't end in CRLF,
whose lines are over 75 octets, a fold that splits a UTF-8 character, or a text value with
a comma, a semicolon or a backslash left unescaped; else it prints what it read as JSON:
the calendar's properties and each event's, every text unescaped.

Usage: ics_reader.py FILE
"""
import json
import sys

# Text values that hold one text each, and those that hold a list of texts.
TEXT = {"SUMMARY", "DESCRIPTION", "UID", "PRODID", "X-WR-CALNAME", "CALSCALE", "TRANSP",
        "VERSION"}
TEXT_LIST = {"CATEGORIES"}


def refuse(why):
    print(f"ics_reader: {why}", file=sys.stderr)
    sys.exit(1)


def physical_lines(data):
    if not data.endswith(b"\r\n"):
        refuse("the file does not end with CRLF")
    lines = data[:-2].split(b"\r\n")
    for n, line in enumerate(lines, 1):
        if b"\r" in line or b"\n" in line:
            refuse(f"line {n} ends without CRLF")
        if len(line) > 75:
            refuse(f"line {n} is {len(line)} octets, more than 75")
        try:
            line.decode("utf-8")
        except UnicodeDecodeError:
            refuse(f"line {n} splits a UTF-8 character: {line!r}")
    return lines


def unfolded(lines):
    logical = []
    for n, line in enumerate(lines, 1):
        if line[:1] in (b" ", b"\t"):
            if not logical:
                refuse(f"line {n} continues nothing")
            logical[-1] += line[1:]
        else:
            logical.append(line)
    return [line.decode("utf-8") for line in logical]


def split_content_line(line):
    """NAME, {PARAM: value}, VALUE: the first colon outside a quoted parameter ends the name
    and parameters."""
    quoted = False
    for i, c in enumerate(line):
        if c == '"':
            quoted = not quoted
        elif c == ":" and not quoted:
            head, value = line[:i], line[i + 1:]
            break
    else:
        refuse(f"no value in {line!r}")
    fields = head.split(";")
    params = {}
    for p in fields[1:]:
        key, _, v = p.partition("=")
        params[key.upper()] = v.strip('"')
    return fields[0].upper(), params, value


def texts(value, is_list):
    """The texts of a TEXT value: \\\\ \\; \\, \\n and \\N undone; an unescaped comma
    separates the texts of a list, and is refused in a single text, as is a semicolon."""
    out, current, i = [], "", 0
    while i < len(value):
        c = value[i]
        if c == "\\":
            if i + 1 >= len(value):
                refuse(f"a backslash ends {value!r}")
            n = value[i + 1]
            if n in "\\;,":
                current += n
            elif n in "nN":
                current += "\n"
            else:
                refuse(f"\\{n} is no escape of RFC 5545 in {value!r}")
            i += 2
            continue
        if c == ",":
            if not is_list:
                refuse(f"an unescaped comma in the text {value!r}")
            out.append(current)
            current = ""
        elif c == ";":
            refuse(f"an unescaped semicolon in the text {value!r}")
        else:
            current += c
        i += 1
    out.append(current)
    return out


def main():
    with open(sys.argv[1], "rb") as f:
        lines = unfolded(physical_lines(f.read()))
    calendar, events, stack = {}, [], []
    for line in lines:
        name, params, value = split_content_line(line)
        if name == "BEGIN":
            stack.append(value)
            if value == "VEVENT":
                events.append({})
            continue
        if name == "END":
            if not stack or stack.pop() != value:
                refuse(f"END:{value} closes nothing")
            continue
        where = events[-1] if stack and stack[-1] == "VEVENT" else calendar
        if not stack:
            refuse(f"{name} outside the calendar")
        if name in where:
            refuse(f"{name} twice in one component")
        if name in TEXT or name in TEXT_LIST:
            t = texts(value, name in TEXT_LIST)
            where[name] = t if name in TEXT_LIST else t[0]
        else:
            where[name] = value
        if params:
            where[name + ";"] = params
    if stack:
        refuse(f"{stack[-1]} is never ended")
    print(json.dumps({"calendar": calendar, "events": events}, ensure_ascii=False))


main()
