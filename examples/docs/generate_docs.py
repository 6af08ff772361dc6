#!/usr/bin/env python3
"""Writes the generated parts of the sample document collection in examples/docs/psd.

The books of the collection are partly hand-written (the prose files in each book folder) and
partly generated from the sample model's instance files: the registers, schedules and data
sheets that carry the ids and names of stations, pumps, valves, drives and instruments. This
script writes only the generated files (their names are listed in GENERATED below) and each
book's book.ini; it never touches a hand-written file.

Standard library only; the output depends on nothing but the instance files, so every run
gives the same bytes:

    python3 examples/docs/generate_docs.py         # add -v to list the files written
    python3 examples/docs/check_queries.py         # then check that the queries find them
"""

import html
import os
import sys

import check_queries as cq

BOOKS_DIR = cq.BOOKS

BOOK_TITLES = {
    "station-handbook": "Station Handbook",
    "pump-manual": "Pump Range Manual",
    "valves-pipework": "Valves and Pipework",
    "electrical-drives": "Electrical Drives",
    "control-system": "Control System",
    "field-instruments": "Field Instruments",
    "maintenance-safety": "Maintenance and Safety",
}

written = []


# ---------------------------------------------------------------------------------------------
# Output helpers
# ---------------------------------------------------------------------------------------------


def esc(text):
    return html.escape(str(text), quote=False)


def table(headers, rows):
    out = ["<table border=\"1\" cellpadding=\"3\">",
           "<tr>" + "".join("<th>%s</th>" % esc(h) for h in headers) + "</tr>"]
    for row in rows:
        out.append("<tr>" + "".join("<td>%s</td>" % esc(c) for c in row) + "</tr>")
    out.append("</table>")
    return "\n".join(out)


def page(title, parts):
    body = "\n".join(parts)
    return ("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>%s</title>\n"
            "</head>\n<body>\n<h1>%s</h1>\n%s\n</body>\n</html>\n" % (esc(title), esc(title), body))


def para(text):
    return "<p>%s</p>" % esc(text)


def write(book, name, text):
    folder = os.path.join(BOOKS_DIR, book)
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, name)
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)
    written.append(os.path.relpath(path, os.path.dirname(BOOKS_DIR)))


def value(values, i, default=""):
    return values[i - 1] if i <= len(values) else default


def short_code(text):
    """The two-letter code the drawings use for a model or type name."""
    return text[:2].upper()


def plural(n, word):
    return "%d %s%s" % (n, word, "" if n == 1 else "s")


def join_words(items):
    items = list(items)
    if len(items) <= 1:
        return "".join(items)
    return ", ".join(items[:-1]) + " and " + items[-1]


# ---------------------------------------------------------------------------------------------
# The model's data
# ---------------------------------------------------------------------------------------------

elements, instance_queries, _ = cq.read_model()
EL = {el.name: el for el in elements}


def instances(name):
    """(key, values) of an element's instances, without value 1 where that repeats the key
    (the sample's attribute lists start with "Id"): value(v, 1) below is the name or model."""
    rows = EL[name].instances if name in EL else []
    return [(key, v[1:] if v and v[0] == key else v) for key, v in rows]


def by_station(name, station_index):
    out = {}
    for key, values in instances(name):
        out.setdefault(value(values, station_index), []).append((key, values))
    return out


STATIONS = instances("Stations")
STATION = {key: values for key, values in STATIONS}
STRUCTURES = by_station("Structures", 2)
PIPELINES = by_station("Pipelines", 2)
PIPELINE = {key: values for key, values in instances("Pipelines")}
PUMP_ELEMENTS = ["Pumps", "Centrifugal Pumps", "Submersible Pumps", "End Suction Pumps",
                 "Split Case Pumps", "Dosing Pumps"]
PUMPS_AT = {}
for _name in PUMP_ELEMENTS:
    for _station, _rows in by_station(_name, 2).items():
        PUMPS_AT.setdefault(_station, []).extend((_name, k, v) for k, v in _rows)


def station_name(key):
    return value(STATION.get(key, []), 1, key)


# ---------------------------------------------------------------------------------------------
# Station Handbook
# ---------------------------------------------------------------------------------------------


def station_handbook():
    book = "station-handbook"
    rows = [[k] + v[:6] for k, v in STATIONS]
    parts = [para("The register lists every pumping station of the product line with its id, "
                  "name, location, type, year of commissioning, design flow and operator. "
                  "Each station has a short station overview below the table; the civil "
                  "works of the stations are listed in the civil works register."),
             table(["Id", "Name", "Location", "Type", "Commissioned", "Design flow (l/s)",
                    "Operator"], rows),
             "<h2>Station overview by station</h2>"]
    for key, v in STATIONS:
        name, place, stype, year, flow, operator = (v + [""] * 6)[:6]
        structures = STRUCTURES.get(key, [])
        pumps = PUMPS_AT.get(key, [])
        pipes = PIPELINES.get(key, [])
        parts.append("<h3>%s %s</h3>" % (esc(key), esc(name)))
        parts.append(para(
            "Station overview: %s (%s) at %s is a %s station commissioned in %s with a design "
            "flow of %s l/s. It is operated by %s." % (name, key, place, stype.lower(), year,
                                                      flow, operator)))
        details = []
        if structures:
            details.append("Civil works: %s." % join_words(
                "%s %s" % (value(s, 3), k) for k, s in structures))
        if pipes:
            details.append("Pipework: %s." % join_words(
                "%s %s (DN %s)" % (value(p, 1), k, value(p, 3)) for k, p in pipes))
        if pumps:
            details.append("Pumps installed: %s." % join_words(
                "%s %s" % (k, value(p, 1)) for _, k, p in pumps))
        parts.append("<ul>\n%s\n</ul>" % "\n".join("<li>%s</li>" % esc(d) for d in details))
    write(book, "20-station-register.html", page("Station Register", parts))

    parts = [para("The civil works of a station are its wet wells, dry wells, valve chambers, "
                  "inlet screen houses and buildings. The tables below give, for each "
                  "station, the structures with their ids, names, types, depth below the "
                  "operating floor and year built. Depths of buildings are the depth of "
                  "their foundation.")]
    for key, _ in STATIONS:
        rows = [[k] + s[:5] for k, s in STRUCTURES.get(key, [])]
        if not rows:
            continue
        parts.append("<h2>%s %s: civil works</h2>" % (esc(key), esc(station_name(key))))
        parts.append(table(["Id", "Name", "Station", "Type", "Depth (m)", "Year built"], rows))
    write(book, "30-civil-works-register.html", page("Civil Works Register", parts))

    lines = ["STATION RECORDS: UPGRADES AND SEASONAL OPERATION", ""]
    for key, v in STATIONS:
        name, place, stype = value(v, 1), value(v, 2), value(v, 3)
        template = instance_queries.get(key.upper(), "").lower()
        if "flood protection" in template:
            lines += [
                "Flood protection upgrade at %s (%s)" % (name, key), "",
                "The flood protection upgrade at %s raised the station's flood defence level "
                "after the river reached the access road in two successive winters. The "
                "upgrade comprised a flood wall around the %s compound, non-return flaps on "
                "every drain leaving the site, sealed cable ducts into the control building "
                "and a second access route on higher ground. The switchboards were lifted "
                "by 600 mm on new plinths and the wet well cover frames were replaced by "
                "bolted, gasketed covers." % (place, stype.lower()),
                "",
                "After the flood protection upgrade the station remains in service up to the "
                "1 in 200 year flood level. Operators check the flap valves and the wall "
                "joints every spring and after every flood warning.", ""]
        if "winter operation" in template:
            lines += [
                "Winter operation at %s (%s)" % (name, key), "",
                "%s at %s is an %s station that stands idle for most of the winter. For winter "
                "operation the pumps are drained or kept running at minimum flow once a week, "
                "the frost heaters in the valve chamber are switched on when the outside "
                "temperature falls below 3 degrees, and the suction line is emptied down to "
                "the wet well. Before the irrigation season the pumps are refilled, vented "
                "and run on the test circuit for two hours." % (name, place, stype.lower()), ""]
    write(book, "40-station-records.txt", "\n".join(lines) + "\n")


# ---------------------------------------------------------------------------------------------
# Pump Range Manual
# ---------------------------------------------------------------------------------------------

PUMP_INTRO = {
    "Pumps": "Drainage, priming and sump pumps: small auxiliary pumps that keep dry wells "
             "and valve chambers dry and prime the main pumps.",
    "Centrifugal Pumps": "Vertical inline centrifugal pumps of the VIL series, used for "
                         "service water and seal flushing.",
    "Submersible Pumps": "Submersible pumps of the SPX series, installed in the wet well on a "
                         "guide rail with an auto coupling.",
    "End Suction Pumps": "End suction pumps of the ESH series on a common baseplate with "
                         "their motor, installed dry in the dry well.",
    "Split Case Pumps": "Axially split case double suction pumps of the DSC series for the "
                        "large transfer and intake stations.",
    "Dosing Pumps": "Diaphragm dosing pumps of the MDX series for chemical conditioning.",
}


def pump_manual():
    book = "pump-manual"
    parts = [para("This chapter lists every pump installed in the stations of the product "
                  "line, grouped by pump family. The short code is the code printed on the "
                  "station drawings and on the pump's rating plate next to the serial "
                  "number; it is formed from the first two letters of the model designation.")]
    for name in PUMP_ELEMENTS:
        rows = instances(name)
        if not rows:
            continue
        parts.append("<h2>%s</h2>" % esc(name))
        parts.append(para(PUMP_INTRO.get(name, "")))
        if name == "Dosing Pumps":
            parts.append(table(["Id", "Model", "Short code", "Station", "Structure",
                                "Capacity (l/h)", "Chemical", "Serial no"],
                               [[k, value(v, 1), short_code(value(v, 1))] + v[1:6]
                                for k, v in rows]))
        else:
            parts.append(table(["Id", "Model", "Short code", "Station", "Structure",
                                "Rated flow (l/s)", "Head (m)", "Speed (rpm)", "Serial no"],
                               [[k, value(v, 1), short_code(value(v, 1))] + v[1:7]
                                for k, v in rows]))
    write(book, "20-installed-pumps.html", page("Installed Pumps", parts))

    parts = [para("The pumps of each station by station, with their duty. Pump sets at one "
                  "station share the same suction header; the duty and standby "
                  "arrangement is described in the Control System book.")]
    for key, _ in STATIONS:
        pumps = PUMPS_AT.get(key, [])
        if not pumps:
            continue
        parts.append("<h2>%s %s</h2>" % (esc(key), esc(station_name(key))))
        items = []
        for family, k, v in pumps:
            if family == "Dosing Pumps":
                items.append("%s %s: dosing pump for %s, %s l/h, in %s" % (
                    k, value(v, 1), value(v, 5).lower(), value(v, 4), value(v, 3)))
            else:
                items.append("%s %s: %s, %s l/s at %s m, %s rpm, in %s" % (
                    k, value(v, 1), family.lower().rstrip("s"), value(v, 4), value(v, 5),
                    value(v, 6), value(v, 3)))
        parts.append("<ul>\n%s\n</ul>" % "\n".join("<li>%s</li>" % esc(i) for i in items))
    write(book, "30-pumps-by-station.html", page("Pumps by Station", parts))


# ---------------------------------------------------------------------------------------------
# Valves and Pipework
# ---------------------------------------------------------------------------------------------

VALVE_ELEMENTS = [("Valves", "Actuator"), ("Gate Valves", "Actuator"),
                  ("Check Valves", "Type"), ("Control Valves", "Function")]


def valves_pipework():
    book = "valves-pipework"
    parts = [para("The pipework inside the station fence: suction headers, discharge headers "
                  "and the first section of the rising main up to the boundary valve. DN is "
                  "the nominal diameter in millimetres, PN the pressure rating in bar.")]
    for key, _ in STATIONS:
        rows = [[k] + p[:6] for k, p in PIPELINES.get(key, [])]
        if rows:
            parts.append("<h2>%s %s</h2>" % (esc(key), esc(station_name(key))))
            parts.append(table(["Id", "Name", "Station", "DN", "PN", "Material", "Length (m)"],
                               rows))
    write(book, "20-pipeline-register.html", page("Pipeline Register", parts))

    parts = [para("Every valve of the stations with its pipeline, nominal diameter (DN), "
                  "pressure rating (PN) and maker. The code column gives the abbreviation "
                  "used on the drawings (see Valve Types).")]
    for name, extra in VALVE_ELEMENTS:
        rows = instances(name)
        if not rows:
            continue
        parts.append("<h2>%s</h2>" % esc(name))
        parts.append(table(["Id", "Name", "Code", "Pipeline", "Pipeline name", "DN", "PN",
                            extra, "Manufacturer"],
                           [[k, value(v, 1), short_code(value(v, 1)), value(v, 2),
                             value(PIPELINE.get(value(v, 2), []), 1), value(v, 3), value(v, 4),
                             value(v, 5), value(v, 6)] for k, v in rows]))
    write(book, "30-valve-schedule.html", page("Valve Schedule", parts))

    lines = ["SITE RECORDS: PRESSURE TESTS AND COMMISSIONING", ""]
    for key, v in instances("Pipelines"):
        template = instance_queries.get(key.upper(), "").lower()
        if "pressure test" in template:
            lines += [
                "Pressure test of the rising main %s (%s, %s)" % (value(v, 1), key, value(v, 2)),
                "",
                "The rising main %s of station %s, DN %s PN %s in %s, %s m inside the station "
                "fence, was given a hydrostatic pressure test after the replacement of its "
                "boundary section. Test pressure was 1.5 times the rated pressure, held for "
                "two hours with a permitted loss of 0.2 bar; the measured loss was 0.05 bar. "
                "The pressure test was witnessed by the operator and the record is filed "
                "with the station documents." % (value(v, 1), value(v, 2), value(v, 3),
                                                 value(v, 4), value(v, 5), value(v, 6)), ""]
    for key, v in instances("Control Valves"):
        template = instance_queries.get(key.upper(), "").lower()
        if "commissioning" in template:
            lines += [
                "Commissioning of control valve %s (%s on %s)" % (key, value(v, 1), value(v, 2)),
                "",
                "The control valve %s, %s, DN %s PN %s, made by %s, was commissioned with the "
                "pilot circuit set for %s duty. Commissioning steps: flush the pilot "
                "strainer, open the isolating cocks, set the pilot spring, open the upstream "
                "gate valve slowly and adjust the speed control needle until the valve "
                "settles within 30 seconds. The Co code on the drawing marks this valve." % (
                    key, value(v, 1), value(v, 3), value(v, 4), value(v, 6),
                    value(v, 5).lower()), ""]
    write(book, "40-site-records.txt", "\n".join(lines) + "\n")


# ---------------------------------------------------------------------------------------------
# Electrical Drives
# ---------------------------------------------------------------------------------------------

STARTER_ELEMENTS = ["Starters", "Soft Starters", "Frequency Drives", "Direct Starters"]


def electrical_drives():
    book = "electrical-drives"
    parts = [para("Every pump motor of the product line with its frame size, rated power in "
                  "kW, voltage, speed, duty and maker. A motor is sized for the pump's "
                  "maximum power with at least 10 per cent reserve.")]
    parts.append(table(["Id", "Frame", "Power (kW)", "Voltage (V)", "Speed (rpm)", "Duty",
                        "Manufacturer"], [[k] + v[:6] for k, v in instances("Motors")]))
    write(book, "20-motor-list.html", page("Motor List", parts))

    parts = [para("The starters of the pump motors by kind. The rating is the rated "
                  "operating current in A; the code is the abbreviation on the switchboard "
                  "drawings.")]
    for name in STARTER_ELEMENTS:
        rows = instances(name)
        if rows:
            parts.append("<h2>%s</h2>" % esc(name))
            parts.append(table(["Id", "Type", "Code", "Rating (A)", "Voltage (V)",
                                "Switchboard", "Manufacturer"],
                               [[k, value(v, 1), short_code(value(v, 1))] + v[1:5]
                                for k, v in rows]))
    write(book, "30-starter-list.html", page("Starter List", parts))

    parts = [para("The low voltage switchboards and motor control centres (MCC) of the "
                  "stations, and the distribution transformers that feed them.")]
    parts.append("<h2>Switchboards</h2>")
    parts.append(table(["Id", "Name", "Station", "Rated current (A)", "Sections",
                        "Manufacturer"], [[k] + v[:5] for k, v in instances("Switchboards")]))
    parts.append("<h2>Transformers</h2>")
    parts.append(table(["Id", "Name", "Rating (kVA)", "Primary (kV)", "Cooling", "Station"],
                       [[k] + v[:5] for k, v in instances("Transformers")]))
    oil = [(k, v) for k, v in instances("Transformers") if "ON" in value(v, 4).upper()]
    if oil:
        parts.append("<h2>Oil sampling schedule</h2>")
        parts.append(para("Oil filled transformers (cooling ONAN) get an oil sampling every "
                          "two years: dissolved gas analysis, moisture and breakdown voltage. "
                          "Dry type transformers need no oil sampling."))
        parts.append("<ul>\n%s\n</ul>" % "\n".join(
            "<li>%s</li>" % esc("%s %s, %s kVA, %s kV primary: oil sampling in %d" % (
                k, value(v, 1), value(v, 2), value(v, 3),
                2025 + int(k[-1]) % 2 if k[-1].isdigit() else 2025)) for k, v in oil))
    write(book, "40-switchboards-transformers.html",
          page("Switchboards and Transformers", parts))

    parts = [para("The power cables from the switchboards to the motors with type, cross "
                  "section, length and route. Cables longer than 100 m are checked for "
                  "voltage drop at starting current.")]
    parts.append(table(["Id", "Type", "Cross section", "Length (m)", "Route"],
                       [[k] + v[:4] for k, v in instances("Cables")]))
    write(book, "50-cable-list.html", page("Cable List", parts))


# ---------------------------------------------------------------------------------------------
# Control System
# ---------------------------------------------------------------------------------------------


def control_system():
    book = "control-system"
    parts = [para("One control panel per station holds the PLC, the operator panel and the "
                  "24 V supply. The table gives the PLC model and the operator panel of "
                  "each control panel.")]
    parts.append(table(["Id", "Name", "Station", "PLC model", "Operator panel", "Supply"],
                       [[k] + v[:5] for k, v in instances("Control Panels")]))
    write(book, "20-control-panels.html", page("Control Panels", parts))

    parts = [para("The application program of each station with its version, release date "
                  "and author. A station keeps its program version until the next planned "
                  "release; the previous version stays on the panel's memory card.")]
    parts.append(table(["Id", "Name", "Version", "Released", "Station", "Author"],
                       [[k] + v[:5] for k, v in instances("Control Programs")]))
    write(book, "30-program-releases.html", page("Program Releases", parts))

    parts = [para("The standard control functions of the application library. Every "
                  "control function is a library block that a station program calls with "
                  "its own parameters.")]
    parts.append(table(["Id", "Name", "Category", "Library block", "Description"],
                       [[k] + v[:4] for k, v in instances("Control Functions")]))
    write(book, "40-function-library.html", page("Function Library", parts))

    parts = [para("The alarm and event texts of the control application with their "
                  "priority, the control function that raises the alarm and the action "
                  "expected from the operator. High priority alarms are also sent to the "
                  "operator's stand-by phone.")]
    parts.append(table(["Id", "Alarm text", "Priority", "Function", "Action"],
                       [[k] + v[:4] for k, v in instances("Alarms")]))
    write(book, "50-alarm-list.html", page("Alarm List", parts))


# ---------------------------------------------------------------------------------------------
# Field Instruments
# ---------------------------------------------------------------------------------------------

INSTRUMENT_ELEMENTS = ["Instruments", "Level Sensors", "Flow Meters", "Pressure Sensors"]
INSTRUMENT_TITLES = {"Instruments": "Temperature instruments", "Level Sensors": "Level sensors",
                     "Flow Meters": "Flow meters", "Pressure Sensors": "Pressure sensors"}


def field_instruments():
    book = "field-instruments"
    parts = [para("Every field instrument of the stations with its tag, measuring range, "
                  "output signal and maker. The function letters are the first two letters "
                  "of the tag (see Tags and Function Letters).")]
    for name in INSTRUMENT_ELEMENTS:
        rows = instances(name)
        if rows:
            parts.append("<h2>%s</h2>" % esc(INSTRUMENT_TITLES[name]))
            parts.append(table(["Id", "Tag", "Function letters", "Station", "Measuring range",
                                "Signal", "Manufacturer"],
                               [[k, value(v, 1), short_code(value(v, 1))] + v[1:5]
                                for k, v in rows]))
    write(book, "20-instrument-list.html", page("Instrument List", parts))

    parts = [para("The instruments of each station, in the order of the loop numbers. The "
                  "level instruments and level switches of a station work on the same wet "
                  "well; the flow meter sits on the discharge main.")]
    for key, _ in STATIONS:
        items = []
        for name in INSTRUMENT_ELEMENTS:
            for k, v in instances(name):
                if value(v, 2) == key:
                    items.append("%s %s: %s, range %s, signal %s, made by %s" % (
                        value(v, 1), k, INSTRUMENT_TITLES[name].lower().rstrip("s"),
                        value(v, 3), value(v, 4), value(v, 5)))
        if items:
            parts.append("<h2>%s %s</h2>" % (esc(key), esc(station_name(key))))
            parts.append("<ul>\n%s\n</ul>" % "\n".join("<li>%s</li>" % esc(i)
                                                          for i in sorted(items)))
    write(book, "30-instruments-by-station.html", page("Instruments by Station", parts))


# ---------------------------------------------------------------------------------------------
# Maintenance and Safety
# ---------------------------------------------------------------------------------------------


def maintenance_safety():
    book = "maintenance-safety"
    parts = [para("An overview of the maintenance work at each station: the operator "
                  "responsible, the number of pumps to inspect and the structures that need "
                  "confined space entry procedures.")]
    rows = []
    for key, v in STATIONS:
        pumps = PUMPS_AT.get(key, [])
        wells = [k for k, s in STRUCTURES.get(key, []) if "Well" in value(s, 3)]
        rows.append([key, value(v, 1), value(v, 2), value(v, 6), len(pumps),
                     " ".join(wells) or "none"])
    parts.append(table(["Station", "Name", "Location", "Operator", "Pumps", "Wells (confined "
                        "space)"], rows))
    for key, v in STATIONS:
        pumps = PUMPS_AT.get(key, [])
        structures = STRUCTURES.get(key, [])
        parts.append("<h2>%s %s</h2>" % (esc(key), esc(value(v, 1))))
        items = ["Pump %s %s: check leakage at the shaft seal, bearing temperature and "
                 "vibration" % (k, value(p, 1)) for _, k, p in pumps]
        items += ["%s %s: %s" % (value(c, 3), k, "confined space entry permit before entry"
                                 if "Well" in value(c, 3) or "Chamber" in value(c, 3)
                                 else "visual check of walls, roof and doors")
                  for k, c in structures]
        parts.append("<ul>\n%s\n</ul>" % "\n".join("<li>%s</li>" % esc(i) for i in items))
    write(book, "20-station-maintenance.html", page("Station Maintenance Overview", parts))

    parts = [para("Spare impellers and shaft seal cartridges held for the pump range. Order "
                  "spare parts by the id in the first column.")]
    parts.append("<h2>Impellers</h2>")
    parts.append(table(["Id", "Type", "Diameter (mm)", "Vanes", "Material"],
                       [[k] + v[:4] for k, v in instances("Impellers")]))
    parts.append("<h2>Shaft seal cartridges</h2>")
    parts.append(table(["Id", "Design", "Shaft (mm)", "Face material", "Elastomer"],
                       [[k] + v[:4] for k, v in instances("Mechanical Seals")]))
    write(book, "30-spare-parts.html", page("Spare Impellers and Shaft Seals", parts))


# ---------------------------------------------------------------------------------------------


def main():
    if not STATIONS:
        sys.exit("generate_docs.py: no instances read from " + cq.MODEL)
    for book, title in BOOK_TITLES.items():
        write(book, "book.ini", "[book]\nTITLE=%s\n" % title)
    station_handbook()
    pump_manual()
    valves_pipework()
    electrical_drives()
    control_system()
    field_instruments()
    maintenance_safety()
    if "-v" in sys.argv[1:]:
        for path in written:
            print(path)


if __name__ == "__main__":
    main()
