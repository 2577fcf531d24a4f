#!/usr/bin/env python3
"""Writes channels.fods, the source of the example workbook, and has
LibreOffice turn it into channels.xlsx, and that into channels.xls and
channels.ods.

Two sheets of satellites (C band and Ku band) with their transponders, and a
notes sheet that the import leaves alone. Run it only to change the example."""
import os
import subprocess
import sys
import tempfile
from xml.sax.saxutils import escape

C_BAND = [  # name, longitude, local oscillators, TPs (MHz, polarity, kS/s)
    ("AsiaSat 7", "105.5E", (5150, 5150), [
        (3706, "H", 4420), (3732, "H", 4420), (3760, "H", 26000), (3780, "V", 28100),
        (3820, "H", 27500), (3840, "H", 27500), (3860, "V", 27500), (3880, "H", 27500),
        (3940, "V", 28100), (3960, "H", 27500), (3980, "V", 28100), (4000, "H", 26850),
        (4020, "V", 27250), (4040, "H", 28100), (4060, "V", 27500), (4100, "H", 29720),
        (4140, "H", 27500), (4148, "V", 7200)]),
    ("ChinaSat 6B", "115.5E", (5150, 5150), [
        (3600, "V", 27500), (3640, "H", 27500), (3680, "V", 27500), (3720, "H", 27500),
        (3760, "V", 27500), (3800, "H", 27500), (3840, "V", 27500), (3880, "H", 27500),
        (3920, "V", 27500), (3960, "H", 27500), (4000, "V", 27500), (4040, "H", 27500)]),
    ("Apstar 7", "76.5E", (5150, 5150), [
        (3629, "H", 2400), (3645, "H", 10000), (3669, "H", 3200), (3708, "V", 1850),
        (3745, "H", 13400), (3766, "H", 2220), (3774, "V", 1920), (3800, "V", 13330),
        (3836, "H", 3700), (4146, "V", 2820)]),
]
KU_BAND = [
    ("Astra 1KR", "19.2E", (9750, 10600), [
        (10729, "V", 22000), (10744, "H", 22000), (10758, "V", 22000), (10773, "H", 22000),
        (10788, "V", 22000), (10832, "H", 22000), (10862, "H", 22000), (10891, "H", 22000),
        (11171, "H", 22000), (11244, "V", 22000), (11362, "H", 22000), (11494, "H", 22000),
        (11627, "V", 22000), (11720, "H", 27500), (12188, "H", 27500), (12633, "H", 22000)]),
    ("Hot Bird 13E", "13E", (9750, 10600), [
        (10719, "V", 27500), (10758, "V", 27500), (10775, "H", 29900), (10834, "V", 27500),
        (10949, "V", 27500), (10971, "H", 29700), (11013, "H", 29900), (11034, "V", 27500),
        (11137, "H", 27500), (11200, "V", 27500), (11240, "V", 27500), (11334, "H", 27500),
        (11393, "V", 27500), (11470, "V", 29700), (11566, "H", 29900), (11727, "V", 27500),
        (11785, "H", 29700), (11862, "V", 27500), (12149, "V", 27500), (12476, "H", 29900)]),
    ("Türksat 4A", "42E", (9750, 10600), [
        (10962, "H", 16666), (11012, "V", 30000), (11054, "H", 30000), (11096, "H", 30000),
        (11458, "V", 4800), (11729, "V", 27500), (11794, "V", 27500), (11916, "V", 30000),
        (11958, "V", 27500), (12054, "V", 30000), (12380, "V", 27500), (12605, "V", 30000)]),
]
HEADER = ["ProgName(SateName)", "Fre(Longitude)", "SymbolRate(LocalFre1)", "Polar(LocalFre2)"]


def cell(value):
    if isinstance(value, int):
        return (f'<table:table-cell office:value-type="float" office:value="{value}">'
                f"<text:p>{value}</text:p></table:table-cell>")
    return (f'<table:table-cell office:value-type="string"><text:p>{escape(value)}</text:p>'
            "</table:table-cell>")


def row(values):
    return "<table:table-row>" + "".join(cell(v) for v in values) + "</table:table-row>\n"


def table(name, satellites):
    rows = [row(HEADER)]
    for sat, longitude, (lo1, lo2), tps in satellites:
        rows.append(row([f"#{sat}", longitude, lo1, lo2]))
        for number, (freq, polar, rate) in enumerate(tps, 1):
            rows.append(row([f"{sat} TP{number}", freq, rate, polar]))
    return f'<table:table table:name="{escape(name)}">\n' + "".join(rows) + "</table:table>\n"


def document():
    notes = ('<table:table table:name="Notes">' + row(["Made for the Zembra TP tool example"]) +
             row(["C band LNB 5150 MHz, Ku band universal LNB 9750/10600 MHz"]) + "</table:table>\n")
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
            'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
            'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" office:version="1.2" '
            'office:mimetype="application/vnd.oasis.opendocument.spreadsheet">\n'
            "<office:body><office:spreadsheet>\n" + table("C band", C_BAND) +
            table("Ku band", KU_BAND) + notes + "</office:spreadsheet></office:body></office:document>\n")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    source = os.path.join(here, "channels.fods")
    with open(source, "w", encoding="utf-8") as out:
        out.write(document())
    with tempfile.TemporaryDirectory() as tmp:
        profile = f"-env:UserInstallation=file://{tmp}/profile"
        def convert(fmt, path):
            subprocess.run(["soffice", "--headless", "--norestore", profile, "--convert-to", fmt,
                            "--outdir", tmp, path], check=True, capture_output=True)
        convert("xlsx", source)
        convert("xls", os.path.join(tmp, "channels.xlsx"))
        convert("ods", os.path.join(tmp, "channels.xlsx"))
        for name in ("channels.xlsx", "channels.xls", "channels.ods"):
            os.replace(os.path.join(tmp, name), os.path.join(here, name))
    print("wrote channels.fods, channels.xlsx, channels.xls, channels.ods")


if __name__ == "__main__":
    sys.exit(main())
