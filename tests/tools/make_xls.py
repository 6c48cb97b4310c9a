#!/usr/bin/python3
"""Writes an .xls workbook from a small JSON description.

    make_xls.py DESCRIPTION.json OUTPUT.xls
    make_xls.py - OUTPUT.xls            (description on stdin)

Description:
    {"active": 0,                       # index of the active sheet (default 0)
     "sheets": [
       {"name": "Report",
        "cells": {
          "A1": "text",                 # a string is a text
          "B2": 1.5,                    # a number
          "B3": {"number": 1.236, "format": "0.00"},
          "B4": {"formula": "SUM(B2:B3)", "format": "#,##0.00"},
          "B5": {"text": "=not a formula"}
        },
        "widths": {"B": 20}}            # optional column widths in characters
     ]}
"""
import json
import re
import sys

import xlwt


def cell_position(name):
    match = re.fullmatch(r"([A-Z]+)([0-9]+)", name)
    if not match:
        raise ValueError("bad cell name: " + name)
    column = 0
    for letter in match.group(1):
        column = column * 26 + (ord(letter) - ord("A") + 1)
    return int(match.group(2)) - 1, column - 1


def write_cell(sheet, row, column, cell, styles):
    if isinstance(cell, str):
        sheet.write(row, column, cell)
        return
    if isinstance(cell, (int, float)) and not isinstance(cell, bool):
        sheet.write(row, column, float(cell))
        return
    fmt = cell.get("format")
    style = styles.setdefault(fmt, xlwt.easyxf(num_format_str=fmt) if fmt else xlwt.Style.default_style)
    if "number" in cell:
        sheet.write(row, column, float(cell["number"]), style)
    elif "formula" in cell:
        sheet.write(row, column, xlwt.Formula(cell["formula"]), style)
    elif "text" in cell:
        sheet.write(row, column, cell["text"], style)
    else:
        raise ValueError("cell needs number, formula or text: %r" % (cell,))


def make_workbook(description):
    book = xlwt.Workbook(encoding="utf-8")
    styles = {}
    sheets = description.get("sheets") or [{"name": "Sheet1", "cells": {}}]
    active = int(description.get("active", 0))
    for index, sheet_description in enumerate(sheets):
        sheet = book.add_sheet(sheet_description.get("name", "Sheet%d" % (index + 1)), cell_overwrite_ok=True)
        for name, cell in sheet_description.get("cells", {}).items():
            row, column = cell_position(name)
            write_cell(sheet, row, column, cell, styles)
        for letter, width in sheet_description.get("widths", {}).items():
            sheet.col(cell_position(letter + "1")[1]).width = int(width * 256)
        sheet.set_selected(index == active)
    book.active_sheet = active
    return book


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    source = sys.stdin if argv[1] == "-" else open(argv[1], encoding="utf-8")
    with source:
        description = json.load(source)
    make_workbook(description).save(argv[2])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
