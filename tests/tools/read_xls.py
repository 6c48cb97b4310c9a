#!/usr/bin/python3
"""Prints what an .xls workbook holds, one fact per line, tab-separated.

    read_xls.py WORKBOOK.xls

    active<TAB>index of the active sheet
    zeros<TAB>SHEET<TAB>1 or 0 (are zero values shown in the sheet's window)
    cell<TAB>SHEET<TAB>A1<TAB>n|t|e|b<TAB>value (numbers with repr precision)
"""
import sys

import xlrd


def column_name(column):
    name = ""
    column += 1
    while column:
        column, rest = divmod(column - 1, 26)
        name = chr(ord("A") + rest) + name
    return name


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    book = xlrd.open_workbook(argv[1], formatting_info=True)
    active = 0
    for index, sheet in enumerate(book.sheets()):
        if sheet.sheet_selected:
            active = index
            break
    print("active\t%d" % active)
    for sheet in book.sheets():
        print("zeros\t%s\t%d" % (sheet.name, 1 if sheet.show_zero_values else 0))
        for row in range(sheet.nrows):
            for column in range(sheet.ncols):
                cell = sheet.cell(row, column)
                name = "%s%d" % (column_name(column), row + 1)
                if cell.ctype == xlrd.XL_CELL_NUMBER:
                    print("cell\t%s\t%s\tn\t%r" % (sheet.name, name, cell.value))
                elif cell.ctype == xlrd.XL_CELL_TEXT:
                    text = cell.value.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n")
                    print("cell\t%s\t%s\tt\t%s" % (sheet.name, name, text))
                elif cell.ctype == xlrd.XL_CELL_ERROR:
                    print("cell\t%s\t%s\te\t%s" % (sheet.name, name, xlrd.error_text_from_code.get(cell.value, "?")))
                elif cell.ctype == xlrd.XL_CELL_BOOLEAN:
                    print("cell\t%s\t%s\tb\t%d" % (sheet.name, name, cell.value))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
