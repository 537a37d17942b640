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

# The reader of the source stands beside this script.
from help_source import SourceError, control_ids, parse

TERMINAL_WIDTH = 72  # the help window's text width on the smallest terminal the editor takes
TERM_COLUMN = 16
HELP_FILE = "vexalhelp.chm"


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
