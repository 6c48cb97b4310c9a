#!/usr/bin/python3
"""Writes an attendance sheet like the real ones the benchmark's --attendance
uses: 533 rows by 89 columns, about 9,500 formulas (each employee's totals
over the month's days), a conditional format over the whole sheet that only
colours cells, and 11 cells marked "?" among the days.

    make_attendance_xlsx.py OUTPUT.xlsx
"""
import sys
import zipfile
from xml.sax.saxutils import escape

ROWS = 533
COLUMNS = 89
FIRST_EMPLOYEE = 3
DAYS = 31                 # columns C..AG
FIRST_DAY = 3
FIRST_TOTAL = FIRST_DAY + DAYS   # AH: 18 formula columns
TOTALS = 18
MARKED_ROWS = [45 * k for k in range(1, 12)]   # 11 marks


def name(column):
    letters = ""
    while column > 0:
        column, rest = divmod(column - 1, 26)
        letters = chr(65 + rest) + letters
    return letters


def day_range(row):
    return "%s%d:%s%d" % (name(FIRST_DAY), row, name(FIRST_DAY + DAYS - 1), row)


def total_formula(index, row):
    days = day_range(row)
    first = "%s%d" % (name(FIRST_TOTAL), row)
    formulas = [
        "SUM(%s)" % days, "COUNT(%s)" % days, 'COUNTIF(%s,"off")' % days, 'COUNTIF(%s,"leave")' % days,
        "%s/8" % first, "MAX(%s)" % days, "MIN(%s)" % days, "AVERAGE(%s)" % days,
        'IF(%s>160,%s-160,0)' % (first, first), 'COUNTIF(%s,">8")' % days,
        "%s*1.5" % first, "ROUND(%s/22,2)" % first, 'IF(%s%d>3,"check","")' % (name(FIRST_TOTAL + 2), row),
        "SUMIF(%s,\">8\")" % days, "%s+%s%d" % (first, name(FIRST_TOTAL + 1), row),
        "LEN(B%d)" % row, "A%d*2" % row, 'CONCATENATE(B%d," ",A%d)' % (row, row),
    ]
    return formulas[index]


def cell(ref, kind, value):
    if kind == "n":
        return '<c r="%s"><v>%s</v></c>' % (ref, value)
    if kind == "s":
        return '<c r="%s" t="inlineStr"><is><t>%s</t></is></c>' % (ref, escape(value))
    return '<c r="%s"><f>%s</f></c>' % (ref, escape(value))


def sheet_xml():
    rows = []
    for r in range(1, ROWS + 1):
        cells = []
        for c in range(1, COLUMNS + 1):
            ref = "%s%d" % (name(c), r)
            if r == 1:
                if c == 1:
                    cells.append(cell(ref, "s", "Attendance, month of"))
                continue
            if r == 2:
                label = "No." if c == 1 else "Name" if c == 2 else "Day %d" % (c - 2) if c < FIRST_TOTAL \
                    else "Total %d" % (c - FIRST_TOTAL + 1) if c < FIRST_TOTAL + TOTALS else "Note %d" % c
                cells.append(cell(ref, "s", label))
                continue
            if c == 1:
                cells.append(cell(ref, "n", r - 2))
            elif c == 2:
                cells.append(cell(ref, "s", "Employee %d" % (r - 2)))
            elif c < FIRST_TOTAL:
                day = c - FIRST_DAY
                if r in MARKED_ROWS and day == (r // 45) * 2:
                    cells.append(cell(ref, "s", "?"))
                elif (r + day) % 7 == 0:
                    cells.append(cell(ref, "s", "off"))
                elif (r * day) % 29 == 0:
                    cells.append(cell(ref, "s", "leave"))
                else:
                    cells.append(cell(ref, "n", 8 + (r + day) % 3))
            elif c < FIRST_TOTAL + TOTALS:
                cells.append(cell(ref, "f", total_formula(c - FIRST_TOTAL, r)))
            elif (r + c) % 3 == 0:
                cells.append(cell(ref, "s", "note"))
        rows.append('<row r="%d">%s</row>' % (r, "".join(cells)))
    return ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
            '<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">'
            '<sheetData>%s</sheetData>'
            '<conditionalFormatting sqref="A1:%s%d"><cfRule type="cellIs" dxfId="0" priority="1" operator="equal">'
            '<formula>"off"</formula></cfRule></conditionalFormatting>'
            '</worksheet>' % ("".join(rows), name(COLUMNS), ROWS))


PARTS = {
    "[Content_Types].xml":
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
        '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
        '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
        '<Default Extension="xml" ContentType="application/xml"/>'
        '<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>'
        '<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>'
        '<Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>'
        '</Types>',
    "_rels/.rels":
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
        '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
        '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>'
        '</Relationships>',
    "xl/workbook.xml":
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
        '<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" '
        'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">'
        '<bookViews><workbookView activeTab="0"/></bookViews>'
        '<sheets><sheet name="Attendance" sheetId="1" r:id="rId1"/></sheets></workbook>',
    "xl/_rels/workbook.xml.rels":
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
        '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
        '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>'
        '<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>'
        '</Relationships>',
    "xl/styles.xml":
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
        '<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">'
        '<fonts count="1"><font><sz val="11"/><name val="Calibri"/></font></fonts>'
        '<fills count="2"><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill></fills>'
        '<borders count="1"><border><left/><right/><top/><bottom/><diagonal/></border></borders>'
        '<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>'
        '<cellXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/></cellXfs>'
        '<dxfs count="1"><dxf><fill><patternFill><bgColor rgb="FFFFC7CE"/></patternFill></fill></dxf></dxfs>'
        '</styleSheet>',
}


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED) as book:
        for part, text in PARTS.items():
            book.writestr(part, text)
        book.writestr("xl/worksheets/sheet1.xml", sheet_xml())


if __name__ == "__main__":
    main()
