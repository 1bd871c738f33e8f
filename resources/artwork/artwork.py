#!/usr/bin/env python3
"""Writes the SVG sources of the editor's sprite sheets.

Every position comes from the skin text itself (resources/MurlanSkin.txt):
knobs, value read-outs, command buttons, page tabs and links are read from
its AddControl lines, so moving a knob in the skin and re-running render.sh
moves its painted body, caption and read-out field with it. Each knob's
caption and panel, and how panels are drawn, come from the layout
description (layout.txt beside this file). Only the look lives here.

Standard library only. Usage: artwork.py SKIN OUTDIR [LAYOUT]
"""

import math
import os
import shlex
import sys

FONT = "DejaVu Sans"

# Section tag text and accent colour (light, dark).
SECTIONS = {
    "osc1": ("OSC", "1", "#ef6b5f", "#a8372e"),
    "osc2": ("OSC", "2", "#f2c94c", "#a8842a"),
    "osc3": ("OSC", "3", "#72cf6a", "#3e8a38"),
    "lfo": ("LFO", "", "#5aa8f0", "#2f6aa8"),
}

COMMAND_CAPTIONS = {
    "PartRnd": "Part Random",
    "FullRnd": "Full Random",
    "AutoLevel": "Auto Level",
}

TAB_CAPTIONS = {1: "Main", 2: "Info", 3: "Sounds"}

# Palette of the panel style.
BASE_TOP, BASE_BOTTOM = "#3a4553", "#252d37"
PANEL_TOP, PANEL_BOTTOM = "#4d5a6a", "#3d4856"
PANEL_EDGE = "#1b2229"
CAPTION = "#d6dee7"
FIELD = "#11161c"
SCALE = "#b9c4cf"

PAD = 6          # panel padding around its knobs and read-outs
CAPTION_GAP = 7  # caption baseline above the knob's top edge
TAG_WIDTH = 28   # width of an oscillator row's tag strip
LFO_HEAD = 24    # height of the LFO column's tag block


class Layout:
    """Captions and panels of the knobs (see layout.txt)."""

    def __init__(self, path):
        self.captions = {}   # parameter -> caption
        self.panel_of = {}   # parameter -> panel name
        self.panels = []     # (name, style, tag, relation, other) in drawing order
        self.steps = []      # ("panel", name) or ("tray", commands), in order
        self.free = None     # (x, y, panel) of the next knob, or None
        with open(path) as f:
            for number, line in enumerate(f, 1):
                tok = shlex.split(line, comments=True)
                if not tok:
                    continue
                if tok[0] == "knob" and len(tok) == 4:
                    self.captions[tok[1]], self.panel_of[tok[1]] = tok[2], tok[3]
                elif tok[0] == "panel" and tok[2] == "boxes" and len(tok) == 3:
                    self.panels.append((tok[1], "boxes", None, None, None))
                    self.steps.append(("panel", tok[1]))
                elif tok[0] == "panel" and tok[2] in ("row", "column") and len(tok) in (4, 6):
                    relation, other = (tok[4], tok[5]) if len(tok) == 6 else (None, None)
                    self.panels.append((tok[1], tok[2], tok[3], relation, other))
                    self.steps.append(("panel", tok[1]))
                elif tok[0] == "tray" and len(tok) >= 2:
                    self.steps.append(("tray", tok[1:]))
                elif tok[0] == "free" and len(tok) == 4:
                    # The next knob's place: nothing is painted there yet.
                    self.free = (int(tok[1]), int(tok[2]), tok[3])
                else:
                    raise SystemExit("%s:%d: cannot read %r" % (path, number, line.strip()))
        names = {p[0] for p in self.panels}
        for knob, panel in self.panel_of.items():
            if panel not in names:
                raise SystemExit("%s: knob %s is in panel %s, which is not declared"
                                 % (path, knob, panel))

    def panel(self, name):
        return next(p for p in self.panels if p[0] == name)


class Skin:
    """The rectangles of the controls that the artwork has to serve."""

    def __init__(self, path):
        self.width = self.height = self.pages = 0
        self.knobs = {}      # parameter -> (x, y, w, h)
        self.values = {}     # parameter -> (x, y, w, h)
        self.commands = {}   # command -> (page, x, y, w, h, image)
        self.tabs = {}       # target page -> (x, y, w, h)
        self.links = []      # (page, x, y, w, h)
        self.labels = []     # (page, x, y, w, h)
        self.lists = []      # sound lists: (page, x, y, w, h)
        self.images = {}     # resource -> (file, frame w, frame h, frames)
        with open(path, newline="") as f:
            for line in f.read().splitlines():
                self._line(line.split("#", 1)[0])

    def _line(self, text):
        tok = shlex.split(text)
        if not tok:
            return
        key = tok[0].lower()
        if key == "init":
            self.width, self.height, self.pages = map(int, tok[1:4])
        elif key == "addresource" and tok[2].lower() == "pngresource":
            self.images[tok[1]] = (tok[3], int(tok[4]), int(tok[5]), int(tok[6]))
        elif key == "addcontrol":
            page, x, y, w, h = map(int, tok[1:6])
            kind, args = tok[6].lower(), tok[7:]
            rect = (x, y, w, h)
            if kind == "kpotdot":
                self.knobs[args[0]] = rect
            elif kind == "kvalue":
                self.values[args[0]] = rect
            elif kind == "kimgcommand":
                self.commands[args[0]] = (page,) + rect + (args[1],)
            elif kind == "kpageselhlt":
                self.tabs[int(args[0])] = rect
            elif kind == "kurl":
                self.links.append((page,) + rect)
            elif kind == "klabel":
                self.labels.append((page,) + rect)
            elif kind == "ksoundlist":
                self.lists.append((page,) + rect)


def union(*rects):
    x0 = min(r[0] for r in rects)
    y0 = min(r[1] for r in rects)
    x1 = max(r[0] + r[2] for r in rects)
    y1 = max(r[1] + r[3] for r in rects)
    return (x0, y0, x1 - x0, y1 - y0)


def grow(r, left, top, right, bottom):
    return (r[0] - left, r[1] - top, r[2] + left + right, r[3] + top + bottom)


def esc(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")


def text(x, y, s, size, fill, weight="bold", anchor="middle", extra=""):
    return ('<text x="%g" y="%g" font-family="%s" font-size="%g" '
            'font-weight="%s" text-anchor="%s" fill="%s"%s>%s</text>'
            % (x, y, FONT, size, weight, anchor, fill, extra, esc(s)))


class Sheet:
    """One SVG document with shared gradient definitions."""

    def __init__(self, width, height):
        self.width, self.height = width, height
        self.defs, self.body = [], []
        self.ids = set()

    def gradient(self, gid, top, bottom, x2=0, y2=1):
        if gid not in self.ids:
            self.ids.add(gid)
            self.defs.append(
                '<linearGradient id="%s" x1="0" y1="0" x2="%g" y2="%g">'
                '<stop offset="0" stop-color="%s"/><stop offset="1" stop-color="%s"/>'
                '</linearGradient>' % (gid, x2, y2, top, bottom))
        return "url(#%s)" % gid

    def add(self, element):
        self.body.append(element)

    def svg(self):
        return ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" '
                'viewBox="0 0 %d %d">\n<defs>\n%s\n</defs>\n%s\n</svg>\n'
                % (self.width, self.height, self.width, self.height,
                   "\n".join(self.defs), "\n".join(self.body)))


# ----------------------------------------------------------------- pieces

def panel(sheet, r, rx=5):
    x, y, w, h = r
    sheet.add('<rect x="%g" y="%g" width="%g" height="%g" rx="%g" fill="#000" '
              'opacity="0.3"/>' % (x + 0.5, y + 1.5, w, h, rx))
    sheet.add('<rect x="%g" y="%g" width="%g" height="%g" rx="%g" fill="%s" '
              'stroke="%s"/>' % (x + 0.5, y + 0.5, w - 1, h - 1, rx,
                                 sheet.gradient("panel", PANEL_TOP, PANEL_BOTTOM), PANEL_EDGE))
    sheet.add('<rect x="%g" y="%g" width="%g" height="%g" rx="%g" fill="none" '
              'stroke="#fff" stroke-opacity="0.09"/>' % (x + 1.5, y + 1.5, w - 3, h - 3, rx - 1))


def well(sheet, r, rx=4, fill="#222a33"):
    """A recessed tray."""
    x, y, w, h = r
    sheet.add('<rect x="%g" y="%g" width="%g" height="%g" rx="%g" fill="%s" '
              'stroke="#161b21"/>' % (x + 0.5, y + 0.5, w - 1, h - 1, rx, fill))
    sheet.add('<path d="M%g %gH%g" stroke="#fff" stroke-opacity="0.08"/>'
              % (x + rx, y + h + 0.5, x + w - rx))


def value_field(sheet, r):
    x, y, w, h = r
    sheet.add('<rect x="%g" y="%g" width="%g" height="%g" rx="2.5" fill="%s"/>'
              % (x, y, w, h, FIELD))
    sheet.add('<rect x="%g" y="%g" width="%g" height="%g" rx="2" fill="none" '
              'stroke="#000" stroke-opacity="0.55"/>' % (x + 0.5, y + 0.5, w - 1, h - 1))
    sheet.add('<path d="M%g %gH%g" stroke="#fff" stroke-opacity="0.13"/>'
              % (x + 2, y + h + 0.5, x + w - 2))


def knob(sheet, r, accent):
    x, y, w, h = r
    cx, cy = x + w / 2.0, y + h / 2.0
    radius = w / 2.0
    # Scale: the knob sweeps 270 degrees clockwise from the lower left.
    for i in range(11):
        v = i / 10.0
        a = v * 1.5 * math.pi + math.pi / 4
        end = i in (0, 5, 10)
        r0, r1 = radius + 1.5, radius + (4.5 if end else 3.5)
        sx, sy = -math.sin(a), math.cos(a)
        sheet.add('<path d="M%.2f %.2fL%.2f %.2f" stroke="%s" stroke-width="%g" '
                  'stroke-linecap="round" stroke-opacity="%g"/>'
                  % (cx + r0 * sx, cy + r0 * sy, cx + r1 * sx, cy + r1 * sy,
                     accent if end else SCALE, 1.4 if end else 1.0, 1 if end else 0.6))
    sheet.add('<circle cx="%g" cy="%g" r="%g" fill="#000" opacity="0.35"/>'
              % (cx, cy + 1.5, radius))
    sheet.add('<circle cx="%g" cy="%g" r="%g" fill="%s"/>'
              % (cx, cy, radius, sheet.gradient("rim", "#39424c", "#0c0f13")))
    sheet.add('<circle cx="%g" cy="%g" r="%g" fill="%s"/>'
              % (cx, cy, radius - 1.5, sheet.gradient("skirt", "#eef1f4", "#7d8893")))
    sheet.add('<circle cx="%g" cy="%g" r="%g" fill="%s" stroke="#6d7782" '
              'stroke-width="0.8"/>'
              % (cx, cy, radius - 5, sheet.gradient("face", "#f5f7f9", "#bcc4cc")))
    sheet.add('<ellipse cx="%g" cy="%g" rx="%g" ry="%g" fill="#fff" opacity="0.35"/>'
              % (cx - 3, cy - 6, 7, 3.5))


def caption_for(sheet, r, caption):
    x, y, w, h = r
    sheet.add(text(x + w / 2.0, y - CAPTION_GAP, caption, 10, CAPTION))


def logo(sheet, r):
    x, y, w, h = r
    sheet.add('<rect x="%g" y="%g" width="%g" height="%g" fill="%s"/>'
              % (x, y, w, h, sheet.gradient("logo", "#1f262e", "#161b21")))
    sheet.add('<path d="M%g %gH%g" stroke="#5a6777"/>' % (x, y + h - 0.5, x + w))
    sheet.add('<path d="M%g %gV%g" stroke="#5a6777"/>' % (x + w - 0.5, y, y + h))
    # Mark: three sines in the oscillator colours.
    mx, my, mr = x + 27, y + 27.5, 18
    sheet.add('<circle cx="%g" cy="%g" r="%g" fill="#2b333d" stroke="#56616e"/>'
              % (mx, my, mr))
    for k, sec in enumerate(("osc1", "osc2", "osc3")):
        cycles = k + 1
        amp = 8.5 - 2.2 * k
        pts = []
        for i in range(49):
            t = i / 48.0
            pts.append("%.2f %.2f" % (mx - 13 + 26 * t, my - amp * math.sin(2 * math.pi * cycles * t)))
        sheet.add('<path d="M%s" fill="none" stroke="%s" stroke-width="1.6" '
                  'stroke-linecap="round" stroke-linejoin="round"/>'
                  % ("L".join(pts), SECTIONS[sec][2]))
    sheet.add(text(x + 54, y + 33, "Murlan", 26, "#eef3f8", anchor="start",
                   extra=' letter-spacing="0.5"'))
    sheet.add(text(x + 55.5, y + 46, "MONO SINE SYNTH", 7.5, "#8e9bab", anchor="start",
                   extra=' letter-spacing="1.2"'))


def tabs(sheet, skin, lit):
    rects = list(skin.tabs.values())
    well(sheet, grow(union(*rects), 2, 2, 2, 2), rx=4, fill="#1c232b")
    for page, (x, y, w, h) in sorted(skin.tabs.items()):
        on = page == lit
        fill = sheet.gradient("tabon", "#8ea3b8", "#5e7286") if on else \
            sheet.gradient("taboff", "#323c47", "#262e37")
        sheet.add('<rect x="%g" y="%g" width="%g" height="%g" rx="3" fill="%s" '
                  'stroke="%s"/>' % (x + 0.5, y + 0.5, w - 1, h - 1, fill,
                                     "#c9d6e3" if on else "#4f5b68"))
        sheet.add(text(x + w / 2.0, y + h / 2.0 + 3, TAB_CAPTIONS.get(page, str(page)), 8,
                       "#10161c" if on else "#94a1ae", weight="normal"))


def section_tag(sheet, r, section, vertical):
    x, y, w, h = r
    word, number, light, dark = SECTIONS[section]
    if vertical:
        sheet.add('<path d="M%g %gH%gV%gH%gA5 5 0 0 1 %g %gV%gA5 5 0 0 1 %g %gZ" fill="%s"/>'
                  % (x + 5, y + 0.5, x + w, y + h - 0.5, x + 5, x + 0.5, y + h - 5.5,
                     y + 5.5, x + 5, y + 0.5, sheet.gradient("tag" + section, light, dark)))
        cy = y + h / 2.0
        sheet.add(text(x + w / 2.0, cy - 4, word, 8.5, "#161b21"))
        sheet.add(text(x + w / 2.0, cy + 14, number, 18, "#161b21"))
    else:
        sheet.add('<path d="M%g %gV%gA5 5 0 0 1 %g %gH%gA5 5 0 0 1 %g %gV%gZ" fill="%s"/>'
                  % (x + 0.5, y + h, y + 5.5, x + 5.5, y + 0.5, x + w - 5.5, x + w - 0.5,
                     y + 5.5, y + h, sheet.gradient("tag" + section, light, dark)))
        sheet.add(text(x + w / 2.0, y + h / 2.0 + 5, word, 14, "#161b21",
                       extra=' letter-spacing="1"'))


# ----------------------------------------------------------------- pages

def base(sheet, skin):
    w, h = skin.width, skin.height
    sheet.add('<rect width="%d" height="%d" fill="%s"/>'
              % (w, h, sheet.gradient("base", BASE_TOP, BASE_BOTTOM)))


def page_head(sheet, skin, lit):
    # The background, the logo where its home link is and the tab strip
    # with tab `lit` lit: what every page starts with.
    base(sheet, skin)
    home = [l for l in skin.links if l[1] == 0 and l[2] == 0]
    logo(sheet, home[0][1:] if home else (0, 0, 165, 55))
    tabs(sheet, skin, lit)


def text_panel(sheet, r):
    # A dark panel with a light rule along its lower edge.
    x, y, w, h = r
    sheet.add('<rect x="%g" y="%g" width="%g" height="%g" rx="6" fill="#12171d" '
              'stroke="#0a0d10"/>' % (x + 0.5, y + 0.5, w - 1, h - 1))
    sheet.add('<path d="M%g %gH%g" stroke="#fff" stroke-opacity="0.1"/>'
              % (x + 6, y + h + 0.5, x + w - 6))


def knob_cell(skin, name):
    return union(skin.knobs[name], skin.values[name])


def instrument_page(sheet, skin, layout):
    page_head(sheet, skin, 1)

    groups = {}
    for name in skin.knobs:
        if name not in layout.captions:
            raise SystemExit("no caption or panel for knob %s in the layout" % name)
        groups.setdefault(layout.panel_of[name], []).append(name)

    top_gap = CAPTION_GAP + 16  # room for a caption above a knob and its scale

    def natural(names, left=PAD, right=PAD):
        cell = union(*[knob_cell(skin, n) for n in names])
        return grow(cell, left, top_gap, right, PAD)

    # Every panel's boxes first: a row may take its height from the panel
    # before it, which then grows to match.
    boxes = {}
    for name, style, tag, relation, other in layout.panels:
        if name not in groups:
            continue
        if style == "boxes":
            boxes[name] = [natural([n]) for n in groups[name]]
        else:
            boxes[name] = [natural(groups[name])]
    for name, style, tag, relation, other in layout.panels:
        if name not in boxes or style != "row" or relation != "after" or other not in boxes:
            continue
        row, beside = boxes[name][0], boxes[other]
        top = min([row[1]] + [b[1] for b in beside])
        bottom = max([row[1] + row[3]] + [b[1] + b[3] for b in beside])
        boxes[other] = [(b[0], top, b[2], bottom - top) for b in beside]
        boxes[name] = [(row[0], top, row[2], bottom - top)]

    def draw(name):
        style, tag, relation, other = layout.panel(name)[1:]
        if style == "boxes":
            # Left to right, keeping a seam between neighbours on one line.
            found = sorted(boxes[name])
            for i in range(len(found) - 1):
                a, b = found[i], found[i + 1]
                level = a[1] < b[1] + b[3] and b[1] < a[1] + a[3]
                if level and a[0] + a[2] > b[0] - 3:
                    cut = (a[0] + a[2] + b[0] - 3) // 2
                    found[i] = (a[0], a[1], cut - a[0], a[3])
                    found[i + 1] = (cut + 3, b[1], b[0] + b[2] - cut - 3, b[3])
            for box in found:
                panel(sheet, box)
        elif style == "row":
            box = boxes[name][0]
            if relation == "after" and other in boxes:
                last = boxes[other][-1]
                x0 = last[0] + last[2] + 5
            elif relation == "under" and other in boxes:
                x0 = boxes[other][0][0]
            else:
                x0 = PAD
            # The tag strip must never reach under a knob or read-out.
            x0 = min(x0, box[0] + PAD - TAG_WIDTH)
            box = (x0, box[1], box[0] + box[2] - x0, box[3])
            panel(sheet, box)
            section_tag(sheet, (box[0], box[1], TAG_WIDTH, box[3]), tag, True)
        else:
            box = boxes[name][0]
            top = box[1]
            if relation == "below" and other in skin.commands:
                above = skin.commands[other]
                top = min(top, above[2] + above[4] + 7)
            box = (box[0], top, box[2], box[1] + box[3] - top)
            panel(sheet, box)
            section_tag(sheet, (box[0], box[1], box[2], LFO_HEAD), tag, False)

    for kind, what in layout.steps:
        if kind == "tray":
            found = [skin.commands[c][1:5] for c in what if c in skin.commands]
            if found:
                well(sheet, grow(union(*found), 5, 5, 5, 5))
        elif what in boxes:
            draw(what)

    for name, r in skin.knobs.items():
        tag = layout.panel(layout.panel_of[name])[2]
        accent = SECTIONS[tag][2] if tag in SECTIONS else "#dfe6ee"
        caption_for(sheet, r, layout.captions[name])
        knob(sheet, r, accent)
        value_field(sheet, skin.values[name])

    # Auto Level and the random buttons are painted by their own images; the
    # background under them only needs to be calm.


def about_page(sheet, skin, ox):
    sheet.add('<g transform="translate(%d 0)">' % ox)
    page_head(sheet, skin, 2)
    # One dark text panel behind all the labels, with a rule wherever the
    # label lines leave a gap between two groups.
    labels = sorted((l[1:] for l in skin.labels if l[0] == 2), key=lambda r: r[1])
    x, y, w, h = grow(union(*labels), 10, 13, 10, 15)
    text_panel(sheet, (x, y, w, h))
    for above, below in zip(labels, labels[1:]):
        gap_top, gap_bottom = above[1] + above[3], below[1]
        if gap_bottom - gap_top >= 15:
            ry = (gap_top + gap_bottom) // 2
            sheet.add('<path d="M%g %gH%g" stroke="#2c3640"/>' % (x + 10, ry + 0.5, x + w - 10))
    for page, lx, ly, lw, lh in skin.links:
        if (lx, ly) == (0, 0):
            continue
        button(sheet, (lx, ly, lw, lh), "Support", False, "#5d7186", "#3c4c5d")
    sheet.add('</g>')


# The sound list's own geometry (editor/controls/KSoundList.h): padding,
# width of the category column and the gap beside it.
LIST_PAD, LIST_CATEGORIES, LIST_GAP = 8, 150, 12


def sounds_page(sheet, skin, ox):
    sheet.add('<g transform="translate(%d 0)">' % ox)
    page_head(sheet, skin, 3)
    for page, lx, ly, lw, lh in skin.lists:
        text_panel(sheet, grow((lx, ly, lw, lh), 0, 4, 0, 1))
        # The category column on a lighter well, a rule between the columns.
        cx = lx + LIST_PAD - 3
        well(sheet, (cx, ly + LIST_PAD - 3, LIST_CATEGORIES + 6, lh - 2 * LIST_PAD + 4),
             rx=4, fill="#1a2129")
        rule = lx + LIST_PAD + LIST_CATEGORIES + LIST_GAP / 2.0
        sheet.add('<path d="M%g %gV%g" stroke="#2c3640"/>'
                  % (rule, ly + LIST_PAD, ly + lh - LIST_PAD))
        sheet.add(text(lx + lw - 4, ly - 10, "Click a sound to load it into the current program",
                       9, "#8e9bab", weight="normal", anchor="end"))
    sheet.add('</g>')


def button(sheet, r, caption, pressed, top, bottom, size=9.5):
    x, y, w, h = r
    if pressed:
        top, bottom = shade(top, 0.72), shade(bottom, 0.72)
    dx = 1 if pressed else 0
    gid = "btn%s%s" % (top[1:], bottom[1:])
    sheet.add('<rect x="%g" y="%g" width="%g" height="%g" rx="3.5" fill="#06080a"/>'
              % (x, y, w, h))
    sheet.add('<rect x="%g" y="%g" width="%g" height="%g" rx="3" fill="%s" '
              'stroke="#0b0e12"/>'
              % (x + 0.5 + dx, y + 0.5 + dx, w - 1 - dx, h - 1 - dx,
                 sheet.gradient(gid, top, bottom)))
    if not pressed:
        sheet.add('<path d="M%g %gH%g" stroke="#fff" stroke-opacity="0.3"/>'
                  % (x + 3, y + 1.5, x + w - 3))
    sheet.add(text(x + w / 2.0 + dx, y + h / 2.0 + 3.5 + dx, caption, size,
                   "#c9d4df" if pressed else "#f3f7fb"))


def shade(colour, factor):
    rgb = [int(colour[i:i + 2], 16) for i in (1, 3, 5)]
    return "#%02x%02x%02x" % tuple(int(c * factor) for c in rgb)


def command_sheet(skin, command, colours):
    page, x, y, w, h, image = skin.commands[command]
    file, fw, fh, frames = skin.images[image]
    sheet = Sheet(fw * frames, fh)
    for frame in range(frames):
        button(sheet, (frame * fw, 0, fw, fh), COMMAND_CAPTIONS[command], frame == 1, *colours)
    return file, sheet


def main():
    skin_path, out = sys.argv[1], sys.argv[2]
    here = os.path.dirname(os.path.abspath(__file__))
    layout = Layout(sys.argv[3] if len(sys.argv) > 3 else os.path.join(here, "layout.txt"))
    skin = Skin(skin_path)
    bg = [i for i in skin.images.values() if i[1] == skin.width and i[2] == skin.height][0]
    sheet = Sheet(bg[1] * bg[3], bg[2])
    instrument_page(sheet, skin, layout)
    about_page(sheet, skin, bg[1])
    if bg[3] > 2:
        sounds_page(sheet, skin, 2 * bg[1])
    outputs = [(bg[0], sheet)]
    outputs.append(command_sheet(skin, "PartRnd", ("#5d7186", "#3c4c5d")))
    outputs.append(command_sheet(skin, "FullRnd", ("#5d7186", "#3c4c5d")))
    outputs.append(command_sheet(skin, "AutoLevel", ("#5d7186", "#3c4c5d")))
    for png, s in outputs:
        name = os.path.join(out, os.path.splitext(png)[0] + ".svg")
        with open(name, "w") as f:
            f.write(s.svg())
        print(name)


if __name__ == "__main__":
    main()
