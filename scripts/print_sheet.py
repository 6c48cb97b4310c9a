#!/usr/bin/python3
"""Prints the active sheet of an .xls workbook as a table, numbers as a reader sees them.

    print_sheet.py WORKBOOK.xls
"""
import sys
import unicodedata

import xlrd


def shown(cell):
    if cell.ctype == xlrd.XL_CELL_NUMBER:
        if cell.value == int(cell.value) and abs(cell.value) < 1e15:
            return "{:,}".format(int(cell.value))
        return "{:,.2f}".format(cell.value)
    if cell.ctype == xlrd.XL_CELL_TEXT:
        return cell.value
    if cell.ctype == xlrd.XL_CELL_ERROR:
        return xlrd.error_text_from_code.get(cell.value, "#ERR")
    return ""


def width(text):
    return sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in text)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    book = xlrd.open_workbook(argv[1])
    sheet = next((s for s in book.sheets() if s.sheet_selected), book.sheet_by_index(0))
    rows = [[shown(sheet.cell(r, c)) for c in range(sheet.ncols)] for r in range(sheet.nrows)]
    widths = [max(width(row[c]) for row in rows) for c in range(sheet.ncols)]
    print("Sheet %s:" % sheet.name)
    for r, row in enumerate(rows):
        cells = []
        for c, text in enumerate(row):
            pad = " " * (widths[c] - width(text))
            # Numbers to the right, as a spreadsheet shows them.
            numeric = sheet.cell(r, c).ctype == xlrd.XL_CELL_NUMBER
            cells.append(pad + text if numeric else text + pad)
        print("  " + "  ".join(cells).rstrip())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
