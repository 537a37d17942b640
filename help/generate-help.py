#!/usr/bin/env python3
"""Makes every help text of Tarnwick from help/tarnwick-help.txt (its header says the format).

    generate-help.py SOURCE OUTPUT-FOLDER --version VERSION --date DATE --ids HEADER...

writes into OUTPUT-FOLDER:
    chm/                 the pages, contents, project and popup topic file (ctrlhlp.txt) that
                         chmcmd compiles into vexalhelp.chm
    tarnwick.1           the manual page
    ControlHelpTable.cpp the controls' popup texts (ControlHelpTable) and the id map of the help
                         system's context menu
    TerminalHelp.cpp     the Linux program's help window text and popup topics

A file is rewritten only when its content changes, so that a build after an unrelated change of
the source recompiles nothing. Any mistake in the source stops with its line number.
"""

import argparse
import html
import os
import re
import sys
import textwrap

AUDIENCES = {"windows", "terminal", "man"}
CONTROL_ROWS = 27
POPUP_FIELD = 80  # ControlHelpRecord::szText, the terminator included
TERMINAL_WIDTH = 72  # the help window's text width on the smallest terminal the editor takes
TERM_COLUMN = 16
HELP_FILE = "vexalhelp.chm"


class SourceError(Exception):
    pass


class Control:
    def __init__(self, row, name, caption, popup, line):
        self.row, self.name, self.caption, self.popup, self.line = row, name, caption, popup, line
        self.detail = []


class Topic:
    def __init__(self, topic_id, audience, title):
        self.id, self.audience, self.title = topic_id, audience, title
        # Blocks in order: ("text", str), ("items", [(term, text)]), ("control", Control).
        self.blocks = []
        self.popups = []  # (name, text) of controls without a row


class HelpSource:
    def __init__(self):
        self.title = ""
        self.summary = ""
        self.synopsis = []
        self.man_order = []
        self.topics = []

    def controls(self):
        return [b[1] for t in self.topics for b in t.blocks if b[0] == "control"]

    def popups(self):
        return [p for t in self.topics for p in t.popups]


def split_fields(text, count, number):
    fields = [f.strip() for f in text.split(" | ", count - 1)]
    if len(fields) != count:
        raise SourceError(f"line {number}: expected {count} fields separated by ' | '")
    return fields


def parse(lines):
    source = HelpSource()
    topic = None
    paragraph = []
    # The block that indented lines continue: an item or a control's detail.
    continued = None

    def end_paragraph():
        nonlocal paragraph
        if paragraph:
            topic.blocks.append(("text", " ".join(paragraph)))
            paragraph = []

    for number, raw in enumerate(lines, 1):
        line = raw.rstrip("\n")
        stripped = line.strip()
        if stripped.startswith("#") and not line.startswith(" "):
            continue
        if not stripped:
            end_paragraph()
            continued = None
            continue
        if line.startswith("  ") and continued is not None:
            continued(stripped)
            continue
        directive = re.match(r"@(\w+)\s*(.*)$", line)
        if directive:
            name, rest = directive.groups()
            end_paragraph()
            continued = None
            if name in ("title", "summary"):
                setattr(source, name, rest)
            elif name == "synopsis":
                source.synopsis.append(rest)
            elif name == "manorder":
                source.man_order = rest.split()
            elif name == "topic":
                topic_id, audience, title = split_fields(rest, 3, number)
                wanted = AUDIENCES if audience == "all" else set(audience.split("+"))
                if not wanted <= AUDIENCES or not re.fullmatch(r"[a-z][a-z-]*", topic_id):
                    raise SourceError(f"line {number}: bad topic id or audience")
                topic = Topic(topic_id, wanted, title)
                source.topics.append(topic)
            elif topic is None:
                raise SourceError(f"line {number}: @{name} outside a topic")
            elif name == "control":
                head, caption, popup = split_fields(rest, 3, number)
                match = re.fullmatch(r"(\d+)\s+(\w+)", head)
                if not match:
                    raise SourceError(f"line {number}: @control ROW NAME | CAPTION | POPUP")
                if len(popup) > 1 and popup.startswith('"') and popup.endswith('"'):
                    popup = popup[1:-1]
                control = Control(int(match.group(1)), match.group(2), caption, popup, number)
                topic.blocks.append(("control", control))
                continued = lambda text, c=control: c.detail.append(text)
            elif name == "popup":
                popup_name, text = split_fields(rest, 2, number)
                topic.popups.append((popup_name, text))
            else:
                raise SourceError(f"line {number}: unknown directive @{name}")
            continue
        if topic is None:
            raise SourceError(f"line {number}: text before the first @topic")
        if line.startswith("- "):
            end_paragraph()
            entry = [line[2:].strip()]
            if not topic.blocks or topic.blocks[-1][0] != "items":
                topic.blocks.append(("items", []))
            items = topic.blocks[-1][1]
            items.append(entry)
            continued = lambda text, e=entry: e.append(text)
            continue
        continued = None
        paragraph.append(stripped)
    if topic is not None:
        end_paragraph()

    # Items were kept as lines until their continuations were seen.
    for each in source.topics:
        for index, block in enumerate(each.blocks):
            if block[0] == "items":
                pairs = []
                for entry in block[1]:
                    joined = " ".join(entry)
                    if " | " not in joined:
                        raise SourceError(f"topic {each.id}: item without ' | ': {joined}")
                    term, text = joined.split(" | ", 1)
                    pairs.append((term.strip(), text.strip()))
                each.blocks[index] = ("items", pairs)
    check(source)
    return source


def check(source):
    if not source.title or not source.topics:
        raise SourceError("the source needs a @title and at least one @topic")
    ids = [t.id for t in source.topics]
    if len(set(ids)) != len(ids):
        raise SourceError("two topics share an id")
    if "index" not in ids:
        raise SourceError("no topic 'index': the help file opens there")
    for topic_id in source.man_order:
        if topic_id not in ids:
            raise SourceError(f"@manorder names no topic '{topic_id}'")
    rows = sorted(c.row for c in source.controls())
    if rows != list(range(1, CONTROL_ROWS + 1)):
        raise SourceError(f"the @control rows must be 1 to {CONTROL_ROWS}, each once")
    names = [c.name for c in source.controls()] + [p[0] for p in source.popups()]
    if len(set(names)) != len(names):
        raise SourceError("a control has two texts")
    for control in source.controls():
        # The text and its line feed fill at most the field, with its terminator.
        if len(control.popup) + 2 > POPUP_FIELD or '"' in control.popup:
            raise SourceError(f"line {control.line}: the popup text is too long or has a quote")


def control_ids(headers):
    ids = {}
    for header in headers:
        with open(header, encoding="ascii") as file:
            for line in file:
                match = re.match(r"#define\s+(\w+)\s+\(?(-?(?:0x[0-9A-Fa-f]+|\d+))\)?\s*$", line)
                if match:
                    ids[match.group(1)] = int(match.group(2), 0)
    return ids


def plain(text):
    return text.replace("`", "")


# --- the help file ---------------------------------------------------------------------------

def html_text(text):
    parts = text.split("`")
    return "".join(f"<code>{html.escape(p)}</code>" if i % 2 else html.escape(p)
                    for i, p in enumerate(parts))


def html_page(source, topic, pages):
    body = [f"<h1>{html.escape(topic.title)}</h1>"]
    for kind, value in topic.blocks:
        if kind == "text":
            body.append(f"<p>{html_text(value)}</p>")
        elif kind == "items":
            body.append("<table>")
            for term, text in value:
                body.append(f"<tr><th>{html_text(term)}</th><td>{html_text(text)}</td></tr>")
            body.append("</table>")
        else:
            body.append(f'<h2 id="{value.name}">{html.escape(value.caption)}</h2>')
            body.append(f'<p class="popup">{html_text(value.popup)}</p>')
            if value.detail:
                body.append(f"<p>{html_text(' '.join(value.detail))}</p>")
    links = " | ".join(f'<a href="{p.id}.htm">{html.escape(p.title)}</a>' for p in pages)
    return f"""<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.01//EN">
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=us-ascii">
<title>{html.escape(topic.title)}</title>
<style type="text/css">
body {{ font-family: Tahoma, Verdana, sans-serif; font-size: 10pt; margin: 12px; }}
h1 {{ font-size: 14pt; }} h2 {{ font-size: 11pt; margin-bottom: 2px; }}
p.popup {{ font-style: italic; margin-top: 0; }}
th {{ text-align: left; vertical-align: top; padding-right: 12px; white-space: nowrap; }}
code {{ font-family: "Courier New", monospace; }}
p.pages {{ border-top: 1px solid #999; padding-top: 6px; font-size: 8pt; }}
</style>
</head>
<body>
{chr(10).join(body)}
<p class="pages">{links}</p>
</body>
</html>
"""


def help_file(source, ids):
    pages = [t for t in source.topics if "windows" in t.audience]
    files = {f"{t.id}.htm": html_page(source, t, pages) for t in pages}
    entries = "\n".join(
        f"""<LI> <OBJECT type="text/sitemap">
<param name="Name" value="{html.escape(t.title)}">
<param name="Local" value="{t.id}.htm">
</OBJECT>""" for t in pages)
    files["vexalhelp.hhc"] = f"""<!DOCTYPE HTML PUBLIC "-//IETF//DTD HTML//EN">
<HTML>
<BODY>
<UL>
{entries}
</UL>
</BODY>
</HTML>
"""
    popup_file = ""
    for name, text in popup_topics(source):
        if name not in ids:
            raise SourceError(f"{name} is not defined in the id headers")
        popup_file += f".topic {ids[name]}\r\n{text}\r\n\r\n"
    files["ctrlhlp.txt"] = popup_file
    listed = "\n".join(sorted(name for name in files if name.endswith(".htm")))
    files["vexalhelp.hhp"] = f"""[OPTIONS]
Compatibility=1.1 or later
Compiled file={HELP_FILE}
Contents file=vexalhelp.hhc
Default topic=index.htm
Display compile progress=No
Language=0x409 English (United States)
Title={source.title}

[FILES]
{listed}
ctrlhlp.txt
"""
    return files


# --- the manual page -------------------------------------------------------------------------

def roff_text(text):
    def escape(part):
        part = part.replace("\\", "\\e").replace("-", "\\-")
        return part
    parts = text.split("`")
    out = "".join(f"\\fB{escape(p)}\\fR" if i % 2 else escape(p) for i, p in enumerate(parts))
    # A line that starts with a dot or a quote would be a request.
    return re.sub(r"^([.'])", r"\\&\1", out)


def manual_page(source, version, date):
    out = [f'.TH TARNWICK 1 "{date}" "Tarnwick {version}" "User Commands"',
           ".SH NAME", f"tarnwick \\- {roff_text(source.summary)}", ".SH SYNOPSIS", ".nf"]
    for line in source.synopsis:
        command, _, rest = line.partition(" ")
        out.append(f"\\fB{command}\\fR {roff_text(rest)}")
    out.append(".fi")
    by_id = {t.id: t for t in source.topics}
    order = [by_id[i] for i in source.man_order] + [
        t for t in source.topics if t.id not in source.man_order]
    for topic in order:
        if "man" not in topic.audience:
            continue
        title = "DESCRIPTION" if topic.id == "index" else topic.title.upper()
        out.append(f'.SH "{roff_text(title)}"')
        for kind, value in topic.blocks:
            if kind == "text":
                out += [".PP", roff_text(value)]
            elif kind == "items":
                for term, text in value:
                    out += [".TP", f"\\fB{roff_text(plain(term))}\\fR", roff_text(text)]
            else:
                out += [".TP", f"\\fB{roff_text(value.caption)}\\fR",
                        roff_text(" ".join([value.popup.strip()] + value.detail))]
    out += [".SH \"SEE ALSO\"", "\\fBmount\\fR(8), \\fBntfs-3g\\fR(8)", ""]
    return "\n".join(out)


# --- the program's own texts -----------------------------------------------------------------

def c_string(text):
    escaped = text.replace("\\", "\\\\").replace('"', '\\"').replace("\n", "\\n")
    return f'"{escaped}"'


def hanging(term, text):
    indent = " " * TERM_COLUMN
    if len(term) < TERM_COLUMN - 1:
        first = term.ljust(TERM_COLUMN)
        return textwrap.wrap(text, TERMINAL_WIDTH, initial_indent=first, subsequent_indent=indent)
    return [term] + textwrap.wrap(text, TERMINAL_WIDTH, initial_indent=indent,
                                  subsequent_indent=indent)


def terminal_text(source):
    lines = []
    for topic in source.topics:
        if "terminal" not in topic.audience:
            continue
        if lines:
            lines.append("")
        lines.append(topic.title.upper())
        previous = "title"
        for kind, value in topic.blocks:
            # A blank line between paragraphs, and between a paragraph and a list.
            if previous == "text" or (kind == "text" and previous != "title"):
                lines.append("")
            if kind == "text":
                lines += textwrap.wrap(plain(value), TERMINAL_WIDTH)
            elif kind == "items":
                for term, text in value:
                    lines += hanging(plain(term), plain(text))
            else:
                lines += hanging(value.caption,
                                 plain(" ".join([value.popup.strip()] + value.detail)))
            previous = kind
    return "\n".join(lines) + "\n"


GENERATED = "// Generated by help/generate-help.py from help/tarnwick-help.txt: edit that file.\n"


def popup_topics(source):
    """The topics of ctrlhlp.txt, by control id name: every control's, in table order first."""
    topics = [(c.name, plain(c.popup).strip())
              for c in sorted(source.controls(), key=lambda c: c.row)]
    return topics + [(name, plain(text)) for name, text in source.popups()]


def terminal_source(source):
    body = "\n".join(f"           {c_string(line + chr(10))}"
                     for line in terminal_text(source).splitlines())
    cases = "\n".join(f"        case {name}:\n            return {c_string(text)};"
                      for name, text in popup_topics(source))
    return f"""{GENERATED}#include "framework/term/TerminalHelp.h"

#include "framework/Types.h"
#include "res/resource.h"

const char* TerminalHelpTitle() {{
    return {c_string(source.title)};
}}

const char* TerminalHelpText() {{
    return
{body};
}}

const char* TerminalPopupTopic(unsigned long topic) {{
    switch (topic) {{
{cases}
        default:
            return nullptr;
    }}
}}
"""


def control_table_source(source):
    rows = "\n".join(f"    {{{c.name}, {c_string(c.popup + chr(10))}}},"
                     for c in sorted(source.controls(), key=lambda c: c.row))
    # Controls without a row reach the help system's context menu: each gets its topic in
    # ctrlhlp.txt, numbered by its control id.
    pairs = "\n".join(f"    {name}, {name}," for name, _ in source.popups())
    return f"""{GENERATED}#include "res/resource.h"
#include "shell/ControlHelp.h"

const ControlHelpRecord ControlHelpTable[kControlHelpRows] = {{
{rows}
    {{0, ""}},
}};

const DWORD kContextMenuIdMap[] = {{
{pairs}
    0, 0,
}};
"""


def write_if_changed(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    data = text.encode("ascii")
    try:
        with open(path, "rb") as file:
            if file.read() == data:
                return
    except OSError:
        pass
    with open(path, "wb") as file:
        file.write(data)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("source")
    parser.add_argument("output")
    parser.add_argument("--version", required=True)
    parser.add_argument("--date", required=True)
    parser.add_argument("--ids", nargs="+", required=True, help="headers that define the ids")
    arguments = parser.parse_args()
    try:
        with open(arguments.source, encoding="ascii") as file:
            source = parse(file.readlines())
        ids = control_ids(arguments.ids)
        for name in [c.name for c in source.controls()] + [p[0] for p in source.popups()]:
            if name not in ids:
                raise SourceError(f"{name} is not defined in the id headers")
        outputs = {f"chm/{name}": text for name, text in help_file(source, ids).items()}
        outputs["tarnwick.1"] = manual_page(source, arguments.version, arguments.date)
        outputs["TerminalHelp.cpp"] = terminal_source(source)
        outputs["ControlHelpTable.cpp"] = control_table_source(source)
    except (SourceError, UnicodeDecodeError) as error:
        sys.exit(f"{arguments.source}: {error}")
    for name, text in outputs.items():
        write_if_changed(os.path.join(arguments.output, name), text)


if __name__ == "__main__":
    main()
