#!/usr/bin/env python3
"""Writes the sample model of examples/: sample.mdl with its instance and relation files.

Standard library only and deterministic (fixed seed): running it again gives the same bytes.
Run it from anywhere:  python3 examples/generate_sample.py

Besides writing the files, the script checks its own output before writing anything: every
model entry, instance line and relation line is run through the same signature check that the
model browser applies, the drawing geometry (links from box edge to box edge, group arrows
from parent to children, symbols on their links) is verified, every instance line carries
its key as value 1 (under the attribute "Id") and one value per attribute, and every key used
in a relation file exists in the instance file of the element on that side.
"""

import os
import random
import sys

OUT_DIR = os.path.dirname(os.path.abspath(__file__))
SEED = 20240611
ENCODING = "cp1252"          # the browser reads its text files in the Windows ANSI code page

W, H = 20, 4                 # ELEMENT SIZE of every page

# ---------------------------------------------------------------------------------------------
# Signature check (the pattern language of the model, instance and relation files)
# ---------------------------------------------------------------------------------------------


def _is_number(f):
    return all(c in "-0123456789" for c in f)


def _kind(f, detect_files, numbers_as_text):
    f = f.strip(" \t")
    if _is_number(f):
        return "$" if numbers_as_text else "#"
    if f[0] in "EGLSM" and _is_number(f[1:]):
        return f[0] + "#"
    if detect_files and any(c in f for c in "\\.:"):
        return "F$"
    return "$"


def _fields(t, c):
    return t.split(c)


def signature(value, seps, detect_files, numbers_as_text):
    out = []

    def walk(t, level):
        if level >= len(seps):
            return
        c = seps[level]
        parts = _fields(t, c)
        for i, f in enumerate(parts):
            last = i == len(parts) - 1
            if f != t and not any(s in f for s in seps):
                out.append(_kind(f, detect_files, numbers_as_text))
                out.append(c if (not last or level == 0) else seps[level - 1])
            walk(f, level + 1)

    walk(value, 0)
    sig = "".join(out)
    if not sig:
        sig = _kind(value, detect_files, numbers_as_text)
    for c in seps:
        sig = sig.strip(c)
    return sig


def compare(sig, pattern):
    p = s = 0
    mode = "plain"
    loop = 0
    ok = True
    while p < len(pattern) and s < len(sig):
        ch = pattern[p]
        if ch == "[":
            mode = "group"
            p += 1
        elif ch == "~":
            mode = "repeat"
            p += 1
            loop = p
        elif ch == "]":
            if mode == "repeat":
                p = loop
            else:
                mode = "plain"
                p += 1
        else:
            if mode == "plain":
                if ch != sig[s]:
                    return False
                p += 1
                s += 1
            elif mode == "group":
                if ch == sig[s]:
                    s += 1
                p += 1
            else:
                if ch != sig[s]:
                    ok = False
                p += 1
                s += 1
    return ok


def passes(value, pattern, seps, detect_files=True, numbers_as_text=False):
    if not value:
        return False
    return compare(signature(value, seps, detect_files, numbers_as_text), pattern)


PAT_NORMAL = "#,#,$,#,F$,$,$,$[~;$]"
PAT_JUMP = "#,#,$,#,M#"
PAT_GROUP = "#;#;#;#,#,E#,E#[~;E#]"
PAT_LINK = "[M#;]E#,[M#;]E#,#,#,F$,#;#[~,#;#]"
PAT_SYMBOL = "#,#,#,#,#,L#;#[~,L#;#]"


def require(cond, what):
    if not cond:
        sys.exit("generate_sample.py: check failed: " + what)


# ---------------------------------------------------------------------------------------------
# Model structures and drawing geometry
# ---------------------------------------------------------------------------------------------

# arrow codes: direction -> (no head, head at end)
DIRS = {"E": (4, 1), "S": (8, 5), "W": (12, 9), "N": (16, 13)}
STEP = {"E": (1, 0), "S": (0, 1), "W": (-1, 0), "N": (0, -1)}


class Element:
    def __init__(self, name, x, y, jump=None, file=None, query=None, spare=None, attrs=None):
        self.name, self.x, self.y = name, x, y
        self.jump, self.file, self.query, self.spare, self.attrs = jump, file, query, spare, attrs
        self.instances = []            # (key, [key, values...]) for normal elements
        self.num = 0                   # entry number on its page
        self.page = None

    # edge midpoints of the box, grid units
    def top(self):
        return (self.x + W // 2, self.y)

    def bottom(self):
        return (self.x + W // 2, self.y + H)

    def left(self):
        return (self.x, self.y + H // 2)

    def right(self):
        return (self.x + W, self.y + H // 2)

    def rect(self):
        return (self.x, self.y, self.x + W, self.y + H)

    def entry(self):
        if self.jump is not None:
            return "%d,%d,%s,1,M%d" % (self.x, self.y, self.name, self.jump)
        return "%d,%d,%s,0,%s,%s,%s,%s" % (self.x, self.y, self.name, self.file, self.query,
                                           self.spare, ";".join(self.attrs))


class Page:
    def __init__(self, number, name, size, image):
        self.number, self.name, self.size, self.image = number, name, size, image
        self.elements, self.groups, self.links, self.symbols = [], [], [], []

    def add(self, el):
        self.elements.append(el)
        el.num = len(self.elements)
        el.page = self
        return el


class Link:
    """first IS-<kind>-OF second; drawn from `start` along `moves` [(dir, length), ...]."""

    def __init__(self, page, first, second, kind, file, start, moves, drawn_to=None):
        self.page, self.first, self.second, self.kind, self.file = page, first, second, kind, file
        self.start, self.moves = start, moves
        self.drawn_to = drawn_to or second     # the box the arrow ends at (jump box for
        self.pairs = []                        # links to another page)
        self.num = 0

    def points(self):
        pts = [self.start]
        x, y = self.start
        for d, n in self.moves:
            dx, dy = STEP[d]
            x, y = x + dx * n, y + dy * n
            pts.append((x, y))
        return pts

    def ref(self, el):
        if el.page is self.page:
            return "E%d" % el.num
        return "M%d;E%d" % (el.page.number, el.num)

    def entry(self):
        segs = []
        for i, (d, n) in enumerate(self.moves):
            code = DIRS[d][1] if i == len(self.moves) - 1 else DIRS[d][0]
            segs.append("%d;%d" % (code, n))
        return "%s,%s,0,%d,%s,%d;%d,%s" % (self.ref(self.first), self.ref(self.second), self.kind,
                                           self.file, self.start[0], self.start[1], ",".join(segs))


class Group:
    def __init__(self, parent, children):
        self.parent, self.children = parent, children
        top = min(c.y for c in children) - 1
        self.start = parent.bottom()
        self.length = top - self.start[1]

    def fill(self):
        return (min(c.x for c in self.children) - 1, min(c.y for c in self.children) - 1,
                max(c.x + W for c in self.children) + 1, max(c.y + H for c in self.children) + 1)

    def entry(self):
        return "%d;%d;5;%d,0,E%d,%s" % (self.start[0], self.start[1], self.length, self.parent.num,
                                         ";".join("E%d" % c.num for c in self.children))


class Symbol:
    def __init__(self, x, y, kind, counters):
        self.x, self.y, self.kind, self.counters = x, y, kind, counters   # [(link, place)]

    def entry(self):
        return "%d,%d,0,0,%d,%s" % (self.x, self.y, self.kind,
                                    ",".join("L%d;%d" % (l.num, p) for l, p in self.counters))


def on_segment(pt, a, b):
    (x, y), (x1, y1), (x2, y2) = pt, a, b
    return min(x1, x2) <= x <= max(x1, x2) and min(y1, y2) <= y <= max(y1, y2) and \
        (x1 == x2 == x or y1 == y2 == y)


def inside(pt, r, margin=0):
    x, y = pt
    return r[0] - margin < x < r[2] + margin and r[1] - margin < y < r[3] + margin


def overlaps(a, b):
    return a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]


def on_edge(pt, r):
    x, y = pt
    return ((x in (r[0], r[2]) and r[1] <= y <= r[3]) or
            (y in (r[1], r[3]) and r[0] <= x <= r[2]))


# ---------------------------------------------------------------------------------------------
# Invented reference data
# ---------------------------------------------------------------------------------------------

rng = random.Random(SEED)

PLACES = ["Northbrook", "Elmsford", "Harrowdale", "Stonemere", "Millwick", "Ashcombe",
          "Fernhill", "Oakridge", "Larkstead", "Redwater", "Kingsmoor", "Brackley",
          "Willowbank", "Thornby", "Greyhaven", "Coldharbour", "Marlow Fen", "Highgate Lea",
          "S\u00e9verac", "\u00d6stervik", "Dunmore", "Easterling", "Fallowfield", "Pennick"]
STATION_TYPES = ["Raw Water Intake", "Booster Station", "Sewage Lift Station",
                 "Stormwater Station", "Treated Water Transfer", "Irrigation Pumping"]
OPERATORS = ["Northern Water Board", "Vale District Utilities", "Coastal Waterworks Ltd",
             "Br\u00e5neholm Water Cooperative", "Midland Sewerage Authority",
             "Riverside Municipal Works"]
VALVE_MAKERS = ["Holmgard Valve Works", "Trevane Flow Control", "Ostrand Armaturen",
                "Kelby Industrial Valves"]
MOTOR_MAKERS = ["Velmar Electric", "Tarrant Motors", "Hexley Drives", "Norcastle Machines"]
ELECTRICAL_MAKERS = ["Velmar Electric", "Brightline Switchgear", "Aldmoor Controls"]
MATERIALS = ["Ductile Iron", "Steel", "HDPE", "GRP", "Stainless Steel 316L"]

N_STATIONS = 24


def station_key(s):
    return "STN-%02d" % s


# ---------------------------------------------------------------------------------------------
# Pages and elements
# ---------------------------------------------------------------------------------------------

pages = [Page(1, "Station", (132, 62), 0), Page(2, "Pumps", (146, 58), 1),
         Page(3, "Drives", (162, 46), 2), Page(4, "Controls", (154, 56), 3)]
P1, P2, P3, P4 = pages


def normal(page, name, x, y, file, query, spare, attrs):
    return page.add(Element(name, x, y, None, file, query, spare, attrs))


def jump(page, name, x, y, target):
    return page.add(Element(name, x, y, jump=target))


# --- page 1: Station --------------------------------------------------------------------------
stations = normal(P1, "Stations", 60, 4, "stations.ins", "$2 AND station overview",
                  "Every pumping station delivered with the product line",
                  ["Id", "Name", "Location", "Type", "Commissioned", "Design Flow (l/s)",
                   "Operator"])
structures = normal(P1, "Structures", 16, 24, "structures.ins", "$2 AND $3 AND civil works",
                    "Wet wells - dry wells - valve chambers and buildings of a station",
                    ["Id", "Name", "Station", "Type", "Depth (m)", "Year Built"])
pipelines = normal(P1, "Pipelines", 104, 24, "pipelines.ins", "$2 AND DN $4 AND $6",
                   "Suction and discharge pipework inside the station fence",
                   ["Id", "Name", "Station", "DN", "PN", "Material", "Length (m)"])
valves = normal(P1, "Valves", 104, 40, "valves.ins", "$1 OR ($2 AND DN $4)",
                "Valves of all kinds - this element lists air release and butterfly valves",
                ["Id", "Name", "Pipeline", "DN", "PN", "Actuator", "Manufacturer"])
gate_valves = normal(P1, "Gate Valves", 60, 54, "gate_valves.ins", "$1 OR (gate valve AND DN $4)",
                     "Resilient seated gate valves for isolation",
                     ["Id", "Name", "Pipeline", "DN", "PN", "Actuator", "Manufacturer"])
check_valves = normal(P1, "Check Valves", 82, 54, "check_valves.ins",
                      "$1 OR (@1(0^2) AND non-return AND DN $4)",
                      "Swing and ball check valves on pump discharges",
                      ["Id", "Name", "Pipeline", "DN", "PN", "Type", "Manufacturer"])
control_valves = normal(P1, "Control Valves", 104, 54, "control_valves.ins",
                        "$1 OR (control valve AND $6)",
                        "Modulating valves for pressure and flow control",
                        ["Id", "Name", "Pipeline", "DN", "PN", "Function", "Manufacturer"])
j1_pumps = jump(P1, "Pumps", 4, 4, 2)
j1_drives = jump(P1, "Drives", 4, 10, 3)
j1_controls = jump(P1, "Controls", 4, 16, 4)

# --- page 2: Pumps ----------------------------------------------------------------------------
PUMP_ATTRS = ["Id", "Model", "Station", "Structure", "Rated Flow (l/s)", "Head (m)",
              "Speed (rpm)", "Serial No"]
pumps = normal(P2, "Pumps", 64, 20, "pumps.ins", "$2 AND @1(0^2) AND pump",
               "All pumps - this element lists drainage and priming pumps", PUMP_ATTRS)
centrifugal = normal(P2, "Centrifugal Pumps", 40, 34, "centrifugal.ins",
                     "$2 AND @1(0^2) AND centrifugal",
                     "Dry installed centrifugal pumps - this element lists inline pumps",
                     PUMP_ATTRS)
submersible = normal(P2, "Submersible Pumps", 64, 34, "submersible.ins",
                     "$2 AND submersible AND @1(0^2)",
                     "Wet well submersible pumps with cable and guide rail", PUMP_ATTRS)
dosing = normal(P2, "Dosing Pumps", 88, 34, "dosing.ins", "$2 AND dosing",
                "Diaphragm dosing pumps for chemical conditioning",
                ["Id", "Model", "Station", "Structure", "Capacity (l/h)", "Chemical",
                 "Serial No"])
end_suction = normal(P2, "End Suction Pumps", 28, 48, "end_suction.ins",
                     "$2 AND end suction AND @1(0^2)",
                     "Horizontal end suction pumps on baseplate", PUMP_ATTRS)
split_case = normal(P2, "Split Case Pumps", 52, 48, "split_case.ins",
                    "$2 AND split case AND @1(0^2)",
                    "Axially split double suction pumps", PUMP_ATTRS)
impellers = normal(P2, "Impellers", 36, 4, "impellers.ins", "$1 AND impeller AND $3",
                   "Impeller types used in the pump range",
                   ["Id", "Type", "Diameter (mm)", "Vanes", "Material"])
seals = normal(P2, "Mechanical Seals", 92, 4, "seals.ins", "$1 OR ($2 AND shaft seal)",
               "Shaft seal cartridges and their spare faces",
               ["Id", "Design", "Shaft (mm)", "Face Material", "Elastomer"])
j2_station = jump(P2, "Station", 4, 20, 1)
j2_drives = jump(P2, "Drives", 120, 20, 3)
j2_controls = jump(P2, "Controls", 120, 48, 4)

# --- page 3: Drives ---------------------------------------------------------------------------
motors = normal(P3, "Motors", 8, 6, "motors.ins", "$2 AND $3 kW AND motor",
                "Electric motors driving the pumps",
                ["Id", "Frame", "Power (kW)", "Voltage (V)", "Speed (rpm)", "Duty",
                 "Manufacturer"])
STARTER_ATTRS = ["Id", "Type", "Rating (A)", "Voltage (V)", "Switchboard", "Manufacturer"]
starters = normal(P3, "Starters", 56, 6, "starters.ins", "$2 AND starter AND $3 A",
                  "Motor starters - this element lists star-delta starters", STARTER_ATTRS)
soft_starters = normal(P3, "Soft Starters", 32, 22, "soft_starters.ins",
                       "$2 AND soft starter AND $3 A",
                       "Thyristor soft starters with bypass contactor", STARTER_ATTRS)
freq_drives = normal(P3, "Frequency Drives", 56, 22, "freq_drives.ins",
                     "$2 AND frequency converter AND @1(0^2)",
                     "Variable speed drives for duty pumps", STARTER_ATTRS)
direct_starters = normal(P3, "Direct Starters", 80, 22, "direct_starters.ins",
                         "$2 AND direct on line AND $3 A",
                         "Direct on line starters for small drives", STARTER_ATTRS)
switchboards = normal(P3, "Switchboards", 104, 6, "switchboards.ins", "$1 OR ($2 AND switchboard)",
                      "Low voltage distribution and motor control centres",
                      ["Id", "Name", "Station", "Rated Current (A)", "Sections", "Manufacturer"])
transformers = normal(P3, "Transformers", 104, 26, "transformers.ins",
                      "$2 AND transformer AND $3 kVA",
                      "Distribution transformers feeding the switchboards",
                      ["Id", "Name", "Rating (kVA)", "Primary (kV)", "Cooling", "Station"])
cables = normal(P3, "Cables", 136, 6, "cables.ins", "$2 AND cable AND $3",
                "Power cables from switchboards to motors",
                ["Id", "Type", "Cross Section", "Length (m)", "Route"])
j3_pumps = jump(P3, "Pumps", 8, 30, 2)
j3_controls = jump(P3, "Controls", 8, 38, 4)

# --- page 4: Controls -------------------------------------------------------------------------
panels = normal(P4, "Control Panels", 8, 6, "panels.ins", "$2 AND control panel",
                "Control panels with PLC and operator terminal",
                ["Id", "Name", "Station", "PLC Model", "Operator Panel", "Supply (V)"])
programs = normal(P4, "Control Programs", 56, 6, "programs.ins", "$2 AND version $3",
                  "PLC application programs delivered per station",
                  ["Id", "Name", "Version", "Released", "Station", "Author"])
functions = normal(P4, "Control Functions", 56, 26, "functions.ins", "$2 AND control function",
                   "Standard control functions of the application library",
                   ["Id", "Name", "Category", "Library Block", "Description"])
INSTR_ATTRS = ["Id", "Tag", "Station", "Measuring Range", "Signal", "Manufacturer"]
instruments = normal(P4, "Instruments", 104, 26, "instruments.ins", "$2 AND $1 AND instrument",
                     "Field instruments - this element lists temperature sensors", INSTR_ATTRS)
level_sensors = normal(P4, "Level Sensors", 80, 42, "level_sensors.ins",
                       "$2 AND level AND @1(0^2)", "Ultrasonic and hydrostatic level sensors",
                       INSTR_ATTRS)
flow_meters = normal(P4, "Flow Meters", 104, 42, "flow_meters.ins", "$2 AND flow meter",
                     "Electromagnetic flow meters on the discharge mains", INSTR_ATTRS)
pressure_sensors = normal(P4, "Pressure Sensors", 128, 42, "pressure_sensors.ins",
                          "$2 AND pressure AND @1(0^2)", "Pressure transmitters and switches",
                          INSTR_ATTRS)
alarms = normal(P4, "Alarms", 8, 26, "alarms.ins", "$1 OR $2 AND alarm",
                "Alarm and event texts of the control application",
                ["Id", "Text", "Priority", "Function", "Action"])
spare_kits = normal(P4, "Spare Part Kits", 8, 44, "spare_kits.ins", "$2 AND spare parts",
                    "Kit lists are published with the next documentation release",
                    ["Id", "Name", "Contents", "Order No"])
j4_station = jump(P4, "Station", 104, 6, 1)
j4_drives = jump(P4, "Drives", 128, 6, 3)

# ---------------------------------------------------------------------------------------------
# Groups, links, symbols
# ---------------------------------------------------------------------------------------------

P1.groups = [Group(valves, [gate_valves, check_valves, control_valves])]
P2.groups = [Group(pumps, [centrifugal, submersible, dosing]),
             Group(centrifugal, [end_suction, split_case])]
P3.groups = [Group(starters, [soft_starters, freq_drives, direct_starters])]
P4.groups = [Group(instruments, [level_sensors, flow_meters, pressure_sensors])]


def link(page, first, second, kind, file, start, moves, drawn_to=None):
    lk = Link(page, first, second, kind, file, start, moves, drawn_to)
    page.links.append(lk)
    lk.num = len(page.links)
    return lk


# page 1: structures and pipelines share the last leg into the station box
l_struct = link(P1, structures, stations, 4, "structure_station.rel", structures.top(),
                [("N", 8), ("E", 44), ("N", 8)])
l_pipe = link(P1, pipelines, stations, 4, "pipeline_station.rel", pipelines.top(),
              [("N", 8), ("W", 44), ("N", 8)])
l_valve = link(P1, valves, pipelines, 1, "valve_pipeline.rel", valves.top(), [("N", 12)])
P1.symbols = [Symbol(70, 16, 4, [(l_struct, 7), (l_pipe, 1)]),
              Symbol(114, 34, 1, [(l_valve, 2)])]

# page 2: impellers and seals merge above the pump family; two links lead to other pages
l_imp = link(P2, impellers, pumps, 1, "impeller_pump.rel", impellers.bottom(),
             [("S", 6), ("E", 28), ("S", 6)])
l_seal = link(P2, seals, pumps, 1, "seal_pump.rel", seals.bottom(),
              [("S", 6), ("W", 28), ("S", 6)])
l_motor = link(P2, pumps, motors, 2, "pump_motor.rel", pumps.right(), [("E", 36)],
               drawn_to=j2_drives)
l_pstruct = link(P2, pumps, structures, 4, "pump_structure.rel", pumps.left(), [("W", 40)],
                 drawn_to=j2_station)
P2.symbols = [Symbol(74, 14, 1, [(l_imp, 7), (l_seal, 1)]),
              Symbol(102, 22, 2, [(l_motor, 0)]),
              Symbol(44, 22, 4, [(l_pstruct, 4)])]

# page 3
l_mstart = link(P3, motors, starters, 2, "motor_starter.rel", motors.right(), [("E", 28)])
l_sboard = link(P3, starters, switchboards, 4, "starter_board.rel", starters.right(),
                [("E", 28)])
l_cable = link(P3, cables, switchboards, 1, "cable_board.rel", cables.left(), [("W", 12)])
l_trafo = link(P3, switchboards, transformers, 2, "board_transformer.rel", switchboards.bottom(),
               [("S", 16)])
P3.symbols = [Symbol(42, 8, 2, [(l_mstart, 0)]),
              Symbol(90, 8, 4, [(l_sboard, 4)]),
              Symbol(130, 8, 1, [(l_cable, 3)]),
              Symbol(114, 18, 2, [(l_trafo, 2)])]

# page 4
l_prog_panel = link(P4, programs, panels, 4, "program_panel.rel", programs.left(), [("W", 28)])
l_prog_func = link(P4, programs, functions, 3, "program_function.rel", programs.bottom(),
                   [("S", 16)])
l_func_instr = link(P4, functions, instruments, 2, "function_instrument.rel", functions.right(),
                    [("E", 28)])
l_alarm = link(P4, alarms, functions, 1, "alarm_function.rel", alarms.right(), [("E", 28)])
P4.symbols = [Symbol(42, 8, 4, [(l_prog_panel, 0)]),
              Symbol(66, 18, 3, [(l_prog_func, 6)]),
              Symbol(90, 28, 2, [(l_func_instr, 0)]),
              Symbol(42, 28, 1, [(l_alarm, 5)])]


# ---------------------------------------------------------------------------------------------
# Instances
# ---------------------------------------------------------------------------------------------

def inst(el, key, *values):
    """Adds an instance. The browser does not count the key before "|" as a value, so the
    first value repeats the key: it shows under the attribute "Id" and is $1 of a query."""
    el.instances.append((key, [key] + [str(v) for v in values]))


# stations
station_info = {}
for s in range(1, N_STATIONS + 1):
    place = PLACES[s - 1]
    stype = STATION_TYPES[(s * 5) % len(STATION_TYPES)]
    name = "%s %s" % (place, stype.split()[0] if stype != "Treated Water Transfer" else
                      "Transfer")
    year = 1994 + (s * 7) % 29
    flow = rng.choice([45, 80, 120, 160, 240, 350, 500, 720, 1100])
    station_info[s] = {"type": stype, "name": name, "flow": flow, "year": year}
    inst(stations, station_key(s), name, place, stype, year, flow, OPERATORS[s % len(OPERATORS)])

# structures: 2 to 4 per station
STRUCT_TYPES = ["Wet Well", "Dry Well", "Valve Chamber", "Control Building", "Inlet Screen House",
                "Surge Vessel Bay"]
struct_by_station = {}
for s in range(1, N_STATIONS + 1):
    n = 2 + (s % 3)
    keys = []
    for i in range(1, n + 1):
        t = STRUCT_TYPES[(i - 1 + (s % 2) * (1 if i > 2 else 0)) % len(STRUCT_TYPES)]
        key = "CS-%02d%02d" % (s, i)
        depth = "%.1f" % (rng.uniform(3.0, 14.0) if "Well" in t else rng.uniform(0.0, 4.5))
        inst(structures, key, "%s %s" % (PLACES[s - 1], t), station_key(s), t, depth,
             station_info[s]["year"] + rng.choice([0, 0, 0, 2, 6]))
        keys.append((key, t))
    struct_by_station[s] = keys
    l_struct.pairs += [(k, station_key(s)) for k, _ in keys]

# pipelines: 2 or 3 per station
pipes_by_station = {}
PIPE_NAMES = ["Suction Header", "Discharge Header", "Rising Main", "Bypass Line"]
for s in range(1, N_STATIONS + 1):
    n = 2 + (s % 2)
    keys = []
    for i in range(1, n + 1):
        key = "PL-%02d%02d" % (s, i)
        dn = rng.choice([150, 200, 250, 300, 400, 500, 600])
        inst(pipelines, key, "%s %s" % (PLACES[s - 1], PIPE_NAMES[i - 1]), station_key(s), dn,
             rng.choice([10, 16, 25]), rng.choice(MATERIALS), rng.randint(8, 240))
        keys.append(key)
    pipes_by_station[s] = keys
    l_pipe.pairs += [(k, station_key(s)) for k in keys]

# valves family: every valve sits on one pipeline
valve_counter = {}


def add_valve(el, prefix, name, s, extra):
    valve_counter[prefix] = valve_counter.get(prefix, 0) + 1
    key = "%s-%04d" % (prefix, valve_counter[prefix])
    pipe = rng.choice(pipes_by_station[s])
    dn = rng.choice([100, 150, 200, 250, 300, 400])
    inst(el, key, name, pipe, dn, rng.choice([10, 16, 25]), extra, rng.choice(VALVE_MAKERS))
    l_valve.pairs.append((key, pipe))


for s in range(1, N_STATIONS + 1):
    if s % 2:
        add_valve(valves, "VA", "Air Release Valve", s, "none")
    if s % 3 == 0:
        add_valve(valves, "VA", "Butterfly Valve", s, rng.choice(["Gearbox", "Electric"]))
    for _ in range(1 + s % 3):
        add_valve(gate_valves, "GV", "Gate Valve", s, rng.choice(["Handwheel", "Electric",
                                                                 "Handwheel"]))
    for _ in range(1 + (s + 1) % 2):
        add_valve(check_valves, "CV", "Check Valve", s, rng.choice(["Swing", "Ball", "Nozzle"]))
    if s % 4 != 1:
        add_valve(control_valves, "KV", "Control Valve", s,
                  rng.choice(["Pressure Reducing", "Flow Limiting", "Level Control",
                              "Pump Control"]))

# pumps: models, impellers, seals
IMPELLER_TYPES = {"ES": "Closed", "SC": "Double Suction", "PC": "Closed", "SP": "Vortex",
                  "PX": "Semi-open"}
impeller_keys = {}
for prefix, itype in IMPELLER_TYPES.items():
    for d in {"ES": (200, 250, 315), "SC": (315, 400, 500)}.get(prefix, (160, 250, 315)):
        key = "IM-%s%d" % (prefix, d)
        inst(impellers, key, itype, d, rng.choice([3, 5, 6, 7]),
             rng.choice(["Grey Cast Iron", "Duplex Stainless", "Bronze", "Ductile Iron"]))
        impeller_keys.setdefault(prefix, []).append((key, d))

SEAL_KEYS = []
for i, shaft in enumerate([28, 35, 42, 48, 55, 65, 75, 85, 95, 110], 1):
    for design in ("Single", "Tandem"):
        key = "MS-%03d%s" % (shaft, "T" if design == "Tandem" else "A")
        inst(seals, key, "%s Cartridge" % design, shaft,
             rng.choice(["SiC/SiC", "SiC/Carbon", "Tungsten Carbide"]),
             rng.choice(["FKM", "EPDM", "NBR"]))
        SEAL_KEYS.append((key, shaft, design))

pump_counter = {}
all_pumps = []          # (key, prefix, station, power kW, speed)


def add_pump(el, prefix, series, nozzles, s, flow, head, speed):
    """series and a nozzle size give the model name; its last number is the impeller size."""
    pump_counter[prefix] = pump_counter.get(prefix, 0) + 1
    ikey, diameter = rng.choice(impeller_keys[prefix])
    model = "%s %d-%d" % (series, rng.choice(nozzles), diameter)
    key = "%s-%03d" % (prefix, 100 + pump_counter[prefix])
    structs = struct_by_station[s]
    wet = [k for k, t in structs if t in ("Wet Well", "Dry Well")] or [structs[0][0]]
    struct = wet[-1] if prefix != "SP" else wet[0]
    inst(el, key, model, station_key(s), struct, flow, head, speed,
         "%d-%05d" % (2000 + (s * 3 + pump_counter[prefix]) % 24, rng.randint(10000, 99999)))
    l_pstruct.pairs.append((key, struct))
    l_imp.pairs.append((ikey, key))
    skey, shaft, design = rng.choice([x for x in SEAL_KEYS
                                      if (x[2] == "Tandem") == (prefix == "SP")])
    l_seal.pairs.append((skey, key))
    power = max(1.5, round(flow * head * 9.81 / 1000 / 0.72, 1))
    all_pumps.append((key, prefix, s, power, speed))
    return key


for s in range(1, N_STATIONS + 1):
    stype = station_info[s]["type"]
    q = station_info[s]["flow"]
    if stype in ("Sewage Lift Station", "Stormwater Station"):
        for _ in range(2 + s % 3):
            add_pump(submersible, "SP", "SPX", [80, 100, 150, 200], s, round(q / 2), rng.randint(8, 35), rng.choice([960, 1450, 2900]))
    elif stype in ("Raw Water Intake", "Treated Water Transfer"):
        for _ in range(2 + s % 2):
            add_pump(split_case, "SC", "DSC", [150, 200, 250, 300], s, round(q / 2), rng.randint(25, 90), rng.choice([990, 1480]))
    else:
        for _ in range(2 + s % 3):
            add_pump(end_suction, "ES", "ESH", [65, 80, 100, 125], s, round(q / 3), rng.randint(20, 75), rng.choice([1450, 2900]))
    if s % 3 == 0:
        add_pump(centrifugal, "PC", "VIL", [40, 50, 65], s, rng.randint(5, 30), rng.randint(15, 45), 2900)
    if s % 2 == 0:
        add_pump(pumps, "PX", rng.choice(["Drainage DP", "Priming VR", "Sump SD"]), [25, 40, 50],
                 s, rng.randint(2, 12), rng.randint(6, 20), 2900)

for s in range(1, N_STATIONS + 1):
    if station_info[s]["type"] in ("Raw Water Intake", "Treated Water Transfer",
                                   "Booster Station", "Irrigation Pumping"):
        for chem in (["Sodium Hypochlorite", "Ferric Chloride"] if s % 4 == 0
                     else ["Sodium Hypochlorite"]):
            pump_counter["DP"] = pump_counter.get("DP", 0) + 1
            key = "DP-%03d" % (100 + pump_counter["DP"])
            struct = struct_by_station[s][-1][0]
            inst(dosing, key, rng.choice(["MDX 12", "MDX 40", "MDX 120"]), station_key(s),
                 struct, rng.choice([6, 12, 40, 120]), chem, "D-%05d" % rng.randint(10000, 99999))
            l_pstruct.pairs.append((key, struct))
            # diaphragm dosing pumps have neither impeller nor shaft seal: no relations there

# motors (one per rotodynamic pump) and starters
STANDARD_KW = [1.5, 2.2, 3, 4, 5.5, 7.5, 11, 15, 18.5, 22, 30, 37, 45, 55, 75, 90, 110, 132, 160,
               200, 250, 315, 355, 400]
FRAMES = {1.5: "90L", 2.2: "90L", 3: "100L", 4: "112M", 5.5: "132S", 7.5: "132M", 11: "160M",
          15: "160L", 18.5: "180M", 22: "180L", 30: "200L", 37: "225S", 45: "225M", 55: "250M",
          75: "280S", 90: "280M", 110: "315S", 132: "315M", 160: "315L", 200: "355M",
          250: "355L", 315: "355L", 355: "400M", 400: "400L"}
CABLE_SIZES = [2.5, 4, 6, 10, 16, 25, 35, 50, 70, 95, 120, 150, 185, 240]
motor_of_pump = {}
switchboards_by_station = {}
starter_counter = {}

for s in range(1, N_STATIONS + 1):
    n = 1 if s % 5 else 2
    boards = []
    for i in range(1, n + 1):
        key = "SB-%02d%02d" % (s, i)
        inst(switchboards, key, "%s %s" % (PLACES[s - 1], "MCC" if i == 1 else "LV Board"),
             station_key(s), rng.choice([400, 630, 800, 1250, 1600]), rng.randint(3, 9),
             rng.choice(ELECTRICAL_MAKERS))
        boards.append(key)
    switchboards_by_station[s] = boards
    tkey = "TR-%02d" % s
    inst(transformers, tkey, "%s Supply Transformer" % PLACES[s - 1],
         rng.choice([250, 400, 630, 1000, 1600]), rng.choice([10, 11, 20]),
         rng.choice(["ONAN", "AN dry type"]), station_key(s))
    for b in boards:
        l_trafo.pairs.append((b, tkey))

for idx, (pkey, prefix, s, power, speed) in enumerate(all_pumps, 1):
    kw = next((k for k in STANDARD_KW if k >= power), STANDARD_KW[-1])
    mkey = "MT-%04d" % (1000 + idx)
    volt = 400 if kw <= 250 else 690
    inst(motors, mkey, "IEC %s" % FRAMES[kw], kw, volt, speed - rng.choice([10, 20, 30, 40]),
         rng.choice(["S1 continuous", "S1 continuous", "S3 intermittent"]),
         rng.choice(MOTOR_MAKERS))
    l_motor.pairs.append((pkey, mkey))
    motor_of_pump[pkey] = mkey
    # starter: drives for large duty pumps, soft starters mid range, direct on line small
    if kw >= 55 and prefix in ("SC", "ES"):
        el, sp, stype = freq_drives, "FD", "Frequency Converter"
    elif kw >= 22:
        el, sp, stype = soft_starters, "SS", "Soft Starter"
    elif kw >= 11:
        el, sp, stype = starters, "SD", "Star-Delta Starter"
    else:
        el, sp, stype = direct_starters, "DL", "Direct On Line"
    starter_counter[sp] = starter_counter.get(sp, 0) + 1
    skey = "%s-%04d" % (sp, 1000 + idx)
    board = switchboards_by_station[s][0]
    amps = int(kw * 1000 / (1.732 * volt * 0.86) * 1.15) + 1
    inst(el, skey, stype, amps, volt, board, rng.choice(ELECTRICAL_MAKERS))
    l_mstart.pairs.append((mkey, skey))
    l_sboard.pairs.append((skey, board))
    # power cable to the motor, sometimes a second parallel run
    for run in range(1 if kw < 160 else 2):
        ckey = "CB-%04d%s" % (1000 + idx, "AB"[run])
        need = kw * 1.6 / (1 if kw < 160 else 2)
        size = next((c for c in CABLE_SIZES if c >= need), CABLE_SIZES[-1])
        cross = "%dx%s mm2" % (4 if kw < 30 else 3, ("%g" % size))
        inst(cables, ckey, rng.choice(["NYY-J", "N2XY", "NYCWY"]), cross,
             rng.randint(12, 180), "%s to %s" % (board, mkey))
        l_cable.pairs.append((ckey, board))

# controls
PLC_MODELS = ["CX-3100", "CX-3300", "CX-5200"]
panel_keys = {}
for s in range(1, N_STATIONS + 1):
    key = "CP-%02d01" % s
    inst(panels, key, "%s Control Panel" % PLACES[s - 1], station_key(s),
         rng.choice(PLC_MODELS), rng.choice(["7 in touch", "12 in touch", "none"]),
         rng.choice(["24 V DC", "230 V AC"]))
    panel_keys[s] = [key]
    if station_info[s]["flow"] >= 500:
        key2 = "CP-%02d02" % s
        inst(panels, key2, "%s Remote IO Panel" % PLACES[s - 1], station_key(s),
             "CX-IO16", "none", "24 V DC")
        panel_keys[s].append(key2)

FUNCTIONS = [
    ("Level Control", "Control", "FB_LEVEL", "Starts and stops pumps on wet well level"),
    ("Pressure Control", "Control", "FB_PRESS", "Keeps the discharge pressure at setpoint"),
    ("Flow Control", "Control", "FB_FLOW", "Limits the station output flow"),
    ("Duty Standby Alternation", "Sequencing", "FB_ALTERN", "Rotates the duty pump daily"),
    ("Pump Start Sequence", "Sequencing", "FB_START", "Opens valves and starts a pump"),
    ("Pump Stop Sequence", "Sequencing", "FB_STOP", "Ramps down and closes the discharge"),
    ("Dry Run Protection", "Protection", "FB_DRYRUN", "Trips pumps on low level"),
    ("Motor Overtemperature", "Protection", "FB_MOTTEMP", "Trips on winding temperature"),
    ("Seal Leakage Monitor", "Protection", "FB_SEALLK", "Watches the seal chamber probe"),
    ("Surge Protection", "Protection", "FB_SURGE", "Slow valve closure on power failure"),
    ("Dosing Control", "Control", "FB_DOSING", "Doses in proportion to flow"),
    ("Energy Metering", "Monitoring", "FB_ENERGY", "Totalises energy per pump"),
    ("Run Hour Counter", "Monitoring", "FB_RUNHRS", "Counts run hours and starts"),
    ("Flow Totaliser", "Monitoring", "FB_FLOWTOT", "Totalises pumped volume"),
    ("Telemetry Interface", "Communication", "FB_TELEM", "Reports to the control centre"),
    ("Screen Cleaner Control", "Control", "FB_SCREEN", "Runs the inlet screen rake"),
    ("Valve Actuator Control", "Control", "FB_VALVE", "Opens and closes motorised valves"),
    ("Overflow Alarm", "Protection", "FB_OVERFL", "Signals high high level"),
    ("Power Failure Restart", "Sequencing", "FB_RESTART", "Restarts pumps after a blackout"),
    ("Anti Blocking Cycle", "Control", "FB_ANTIBLK", "Reverses submersible pumps on blocking"),
]
func_keys = []
for i, (name, cat, block, desc) in enumerate(FUNCTIONS, 1):
    key = "CF-%03d" % (100 + i)
    inst(functions, key, name, cat, block, desc)
    func_keys.append(key)

AUTHORS = ["J. Halloran", "M. Okafor", "R. Lindqvist", "T. Nakamura", "A. Ferreira",
           "K. Dvor\u00e1k"]
for s in range(1, N_STATIONS + 1):
    for rev in range(1, 2 + (s % 3 == 0)):
        key = "PG-%02d%02d" % (s, rev)
        major = 2 + rev
        inst(programs, key, "%s Station Program" % PLACES[s - 1], "%d.%d.%d" % (major, s % 7, rev),
             "%04d-%02d-%02d" % (2014 + s % 6 + (rev - 1) * 4, 1 + s % 12, 1 + (s * 3) % 28),
             station_key(s), rng.choice(AUTHORS))
        l_prog_panel.pairs.append((key, panel_keys[s][0]))
        stype = station_info[s]["type"]
        chosen = ["CF-104", "CF-105", "CF-106", "CF-119"]
        if stype in ("Sewage Lift Station", "Stormwater Station"):
            chosen += ["CF-101", "CF-107", "CF-109", "CF-120"]
            if s % 2:
                chosen.append("CF-116")
        else:
            chosen += ["CF-102", "CF-110", "CF-117"]
            if stype != "Booster Station":
                chosen.append("CF-111")
        if s % 4 == 0:
            chosen.append("CF-108")
        if rev > 1:
            chosen += ["CF-113", "CF-115"]
        l_prog_func.pairs += [(key, f) for f in sorted(chosen)]

instr_counter = {}
instr_by_kind = {"LT": [], "FT": [], "PT": [], "TT": []}


def add_instr(el, prefix, tag, s, rng_text, signal):
    instr_counter[(prefix, s)] = instr_counter.get((prefix, s), 0) + 1
    key = "%s-%02d%02d" % (prefix, s, instr_counter[(prefix, s)])
    inst(el, key, tag, station_key(s), rng_text, signal, rng.choice(ELECTRICAL_MAKERS[1:] +
                                                                    ["Quillon Instruments",
                                                                     "Meridex Sensing"]))
    instr_by_kind[prefix].append(key)


for s in range(1, N_STATIONS + 1):
    wet = station_info[s]["type"] in ("Sewage Lift Station", "Stormwater Station",
                                      "Raw Water Intake")
    if wet:
        add_instr(level_sensors, "LT", "LIT-%d01" % s, s, "0-%d m" % rng.choice([4, 6, 10, 15]),
                  "4-20 mA HART")
        add_instr(level_sensors, "LT", "LSHH-%d02" % s, s, "float switch", "digital")
    add_instr(flow_meters, "FT", "FIT-%d01" % s, s, "0-%d l/s" % (station_info[s]["flow"] * 2),
              "4-20 mA + pulse")
    add_instr(pressure_sensors, "PT", "PIT-%d01" % s, s, "0-%d bar" % rng.choice([6, 10, 16]),
              "4-20 mA")
    if not wet:
        add_instr(pressure_sensors, "PT", "PIT-%d02" % s, s, "-1-3 bar", "4-20 mA")
    if s % 2 == 0:
        add_instr(instruments, "TT", "TIT-%d01" % s, s, "0-150 C", "PT100")

for f, kind in (("CF-101", "LT"), ("CF-102", "PT"), ("CF-103", "FT"), ("CF-108", "TT")):
    l_func_instr.pairs += [(f, key) for key in instr_by_kind[kind]]
# the overflow alarm uses the high high level switches only
l_func_instr.pairs += [("CF-118", key) for key, values in level_sensors.instances
                       if values[1].startswith("LSHH")]

ALARMS = {
    "CF-101": ["Wet well level high", "Wet well level low", "Level sensor fault"],
    "CF-102": ["Discharge pressure high", "Discharge pressure low", "Pressure sensor fault"],
    "CF-103": ["Flow above limit", "Flow meter fault"],
    "CF-104": ["Duty pump not available", "All pumps unavailable"],
    "CF-105": ["Pump failed to start", "Discharge valve not open"],
    "CF-106": ["Pump failed to stop", "Discharge valve not closed"],
    "CF-107": ["Dry run trip"],
    "CF-108": ["Motor winding temperature high", "Motor bearing temperature high"],
    "CF-109": ["Seal leakage detected"],
    "CF-110": ["Surge vessel pressure low", "Surge valve fault"],
    "CF-111": ["Dosing pump fault", "Chemical tank level low"],
    "CF-112": ["Energy meter communication lost"],
    "CF-113": ["Service interval reached"],
    "CF-115": ["Telemetry link down", "Telemetry buffer full"],
    "CF-116": ["Screen rake overload", "Screen differential level high"],
    "CF-117": ["Valve actuator fault", "Valve travel time exceeded"],
    "CF-118": ["Overflow level reached"],
    "CF-119": ["Mains power failure", "Restart after power failure"],
    "CF-120": ["Pump blocked - anti blocking cycle started", "Anti blocking cycle failed"],
}
n_alarm = 0
for f in sorted(ALARMS):
    for text in ALARMS[f]:
        n_alarm += 1
        key = "AL-%03d" % (100 + n_alarm)
        prio = "High" if any(w in text for w in ("trip", "fault", "failed", "unavailable",
                                                  "Overflow", "failure")) else "Medium"
        inst(alarms, key, text, prio, f, "Acknowledge and check %s" % FUNCTIONS[
            int(f[3:]) - 101][0].lower())
        l_alarm.pairs.append((key, f))

# Spare Part Kits deliberately has no instance file (shows as disabled).

INSTANCE_QUERY = [
    ("STN-07", "$2 AND flood protection upgrade"),
    ("STN-19", "$2 AND $3 AND winter operation"),
    ("CS-0301", "wet well AND confined space entry"),
    ("PL-1202", "rising main AND pressure test AND $2"),
    ("KV-0005", "control valve AND commissioning AND @1(0^2)"),
    ("CF-110", "surge AND water hammer AND $2"),
    ("CF-120", "anti blocking AND submersible"),
    ("TR-05", "$2 AND oil sampling"),
]

# ---------------------------------------------------------------------------------------------
# Checks
# ---------------------------------------------------------------------------------------------

FORBIDDEN_NAME = set(".:\\,;&")
all_normal = [e for p in pages for e in p.elements if e.jump is None]
by_key_owner = {}

for p in pages:
    require(passes(p.name, "$", ",;"), "page name " + p.name)
    rects = [(e, e.rect()) for e in p.elements]
    for e, r in rects:
        require(not set(e.name) & FORBIDDEN_NAME, "element name " + e.name)
        require(len(e.name) <= W - 3, "name fits its box: " + e.name)
        require(r[2] <= p.size[0] and r[3] <= p.size[1], "element inside page: " + e.name)
        ent = e.entry()
        require(len(ent) <= 298, "entry length %s" % e.name)
        if e.jump is None:
            require(passes(ent, PAT_NORMAL, ",;"), "normal element entry " + ent)
            require(all(x.strip() for x in (e.query, e.spare)), "query/spare " + e.name)
            require(len(e.attrs) >= 3, "attributes of " + e.name)
        else:
            require(not passes(ent, PAT_NORMAL, ",;") and passes(ent, PAT_JUMP, ",;"),
                    "jump element entry " + ent)
            require(e.jump != p.number and 1 <= e.jump <= len(pages), "jump target " + e.name)
            require(pages[e.jump - 1].name == e.name, "jump element named after its page")
        for f, r2 in rects:
            if f is not e:
                require(not overlaps(r, r2), "boxes overlap: %s %s" % (e.name, f.name))
    for g in p.groups:
        require(passes(g.entry(), PAT_GROUP, ",;"), "group entry " + g.entry())
        fill = g.fill()
        x, y = g.start
        require(g.parent.bottom() == g.start and g.length > 0, "group arrow starts at parent")
        require(fill[0] < x < fill[2] and y + g.length == fill[1], "group arrow reaches fill")
        for e, r in rects:
            if e not in g.children:
                require(not overlaps(fill, r), "group fill covers %s" % e.name)
    for lk in p.links:
        ent = lk.entry()
        require(passes(ent, PAT_LINK, ",;"), "link entry " + ent)
        require(len(ent) <= 298, "link entry length")
        pts = lk.points()
        require(lk.first.page is p, "link drawn on the page of its first element")
        require(on_edge(pts[0], lk.first.rect()), "link starts at box edge " + ent)
        require(on_edge(pts[-1], lk.drawn_to.rect()), "link ends at box edge " + ent)
        require(lk.drawn_to.page is p, "link target box on page")
        if lk.second.page is not p:
            require(lk.drawn_to.jump == lk.second.page.number, "cross-page link drawn to jump")
        for a, b in zip(pts, pts[1:]):
            for e, r in rects:
                if e in (lk.first, lk.drawn_to):
                    continue
                for t in range(0, 101):
                    q = (a[0] + (b[0] - a[0]) * t / 100, a[1] + (b[1] - a[1]) * t / 100)
                    require(not inside(q, r), "link %s crosses %s" % (ent, e.name))
        require(lk.first.jump is None and lk.second.jump is None, "links join normal elements")
        require(lk.pairs, "relation pairs for " + lk.file)
    for sy in p.symbols:
        require(passes(sy.entry(), PAT_SYMBOL, ",;"), "symbol entry " + sy.entry())
        for lk, place in sy.counters:
            require(lk in p.links and 0 <= place <= 7, "counter link on page")
            require(lk.kind == sy.kind, "symbol kind matches its links")
            pts = lk.points()
            require(any(on_segment((sy.x, sy.y), a, b) for a, b in zip(pts, pts[1:])),
                    "symbol sits on link %s" % lk.entry())


def family(el):
    out = [el]
    for p in pages:
        for g in p.groups:
            if g.parent is el:
                for c in g.children:
                    out += family(c)
    return out


for e in all_normal:
    require(passes(e.file, "F$", ",;") and "/" not in e.file and "\\" not in e.file,
            "file name " + e.file)
    seen = set()
    for key, values in e.instances:
        line = key + "|" + "^".join(values)
        require(passes(line, "$|$[~^$]", "|^", False, True), "instance line %r" % line)
        require(len(line.encode(ENCODING)) <= 298, "instance line length")
        require(key == key.upper() and key not in seen, "instance key " + key)
        require(values[0] == key and e.attrs[0] == "Id", "key is value 1 (Id) of " + key)
        require(len(values) == len(e.attrs), "one value per attribute of " + key)
        seen.add(key)
        require(key not in by_key_owner, "key unique over the model: " + key)
        by_key_owner[key] = e

for p in pages:
    for lk in p.links:
        fam1 = family(lk.first)
        fam2 = family(lk.second)
        for a, b in lk.pairs:
            require(passes("%s,%s" % (a, b), "$,$", ",;", False, True), "relation %s,%s" % (a, b))
            require(by_key_owner.get(a) in fam1, "relation key %s of %s" % (a, lk.first.name))
            require(by_key_owner.get(b) in fam2, "relation key %s of %s" % (b, lk.second.name))

for k, q in INSTANCE_QUERY:
    require(k in by_key_owner, "instance query key " + k)

# ---------------------------------------------------------------------------------------------
# Writing
# ---------------------------------------------------------------------------------------------


def write(name, lines):
    with open(os.path.join(OUT_DIR, name), "w", encoding=ENCODING, newline="\n") as f:
        for line in lines:
            f.write(line + "\n")


def model_lines():
    out = ["; Pumping Station Documentation - sample model",
           "; Written by generate_sample.py - edit the script rather than this file", "",
           "[MODEL]", "NAME=Pumping Station Sample Model",
           "PAGES=" + ",".join(p.name for p in pages), "",
           "[DOCUMENTATION]", "COLLECTION=Pumping Station Documentation",
           "PUBLISHING ID=PSD-2024-R3", ""]
    for p in pages:
        out += ["[%s]" % p.name, "SIZE=%d,%d" % p.size, "ELEMENT SIZE=%d,%d" % (W, H),
                "IMAGE=%d" % p.image]
        out += ["E%d=%s" % (i, e.entry()) for i, e in enumerate(p.elements, 1)]
        out += ["G%d=%s" % (i, g.entry()) for i, g in enumerate(p.groups, 1)]
        out += ["L%d=%s" % (i, l.entry()) for i, l in enumerate(p.links, 1)]
        out += ["S%d=%s" % (i, s.entry()) for i, s in enumerate(p.symbols, 1)]
        out.append("")
    out.append("[INSTANCE QUERY]")
    out += ["%s=%s" % kq for kq in INSTANCE_QUERY]
    return out


def main():
    for name in os.listdir(OUT_DIR):
        if name.endswith((".ins", ".rel")):
            os.remove(os.path.join(OUT_DIR, name))
    write("sample.mdl", model_lines())
    total = 0
    for e in all_normal:
        if e is spare_kits:
            continue
        write(e.file, ["%s|%s" % (k, "^".join(v)) for k, v in e.instances])
        total += len(e.instances)
    rel_total = 0
    for p in pages:
        for lk in p.links:
            write(lk.file, ["%s,%s" % ab for ab in lk.pairs])
            rel_total += len(lk.pairs)
    if "-v" in sys.argv:
        for p in pages:
            print("page %d %-9s elements %2d (jump %d) groups %d links %d symbols %d" % (
                p.number, p.name, len(p.elements), sum(e.jump is not None for e in p.elements),
                len(p.groups), len(p.links), len(p.symbols)))
            for e in p.elements:
                if e.jump is None:
                    print("   %-18s %-20s %3d" % (e.name, e.file, len(e.instances)))
            for lk in p.links:
                print("   L%d kind %d %-22s %3d" % (lk.num, lk.kind, lk.file, len(lk.pairs)))
        print("instances %d, relation lines %d" % (total, rel_total))


if __name__ == "__main__":
    main()
