"""Reads help/tarnwick-help.txt, the source of every help text of Tarnwick (its header says the
format), into topics, controls and popup topics, and checks it: a mistake stops the build with
its line number rather than ship a wrong help.
"""

import re

AUDIENCES = {"windows", "terminal", "man"}
CONTROL_ROWS = 27
POPUP_FIELD = 80  # ControlHelpRecord::szText, the terminator included


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
