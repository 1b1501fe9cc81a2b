"""Reads a workbook written by `carexa-sim export --xlsx` back with openpyxl and checks it against
the forcing and observed CSV files exported from the same project:
    check_workbook.py BOOK.xlsx FORCING.csv OBSERVED.csv"""

import csv
import re
import sys

import openpyxl

SHEETS = ["Forcing", "Observed", "Results", "Boxes", "Parameters", "Design"]


def fail(message):
    print("check_workbook: " + message)
    sys.exit(1)


def expect(condition, message):
    if not condition:
        fail(message)


def read_csv(name):
    with open(name, newline="") as f:
        return list(csv.reader(f))


def main():
    book_name, forcing_name, observed_name = sys.argv[1:4]
    book = openpyxl.load_workbook(book_name)
    expect(book.sheetnames == SHEETS, "sheets are %s" % book.sheetnames)

    for sheet in book:
        expect(sheet["A1"].font.b, "%s: the heading row is not bold" % sheet.title)
        frozen = "A2" if sheet.title in ("Parameters", "Design") else "B2"
        expect(sheet.freeze_panes == frozen,
               "%s: frozen at %s, not %s" % (sheet.title, sheet.freeze_panes, frozen))

    # Every heading fits its column.
    for sheet in book:
        for cell in sheet[1]:
            if sheet.title in ("Parameters", "Design") and cell.column <= 2:
                continue
            width = sheet.column_dimensions[cell.column_letter].width
            expect(width >= len(cell.value),
                   "%s: column %s is %s wide for %r" % (sheet.title, cell.column_letter, width,
                                                        cell.value))

    # Forcing: every value as a number, equal to the exported text.
    forcing = read_csv(forcing_name)
    sheet = book["Forcing"]
    expect(sheet.max_row == len(forcing), "Forcing has %d rows" % sheet.max_row)
    expect([c.value for c in sheet[1]] == forcing[0], "Forcing headings differ")
    for r, row in enumerate(forcing[1:], start=2):
        for c, text in enumerate(row, start=1):
            cell = sheet.cell(row=r, column=c)
            expect(cell.data_type == "n" and isinstance(cell.value, (int, float)),
                   "Forcing %s is not a number" % cell.coordinate)
            expect(cell.value == float(text),
                   "Forcing %s holds %r, not %s" % (cell.coordinate, cell.value, text))

    # Observed: "0.0001" (no measurement) is an empty cell, everything else a number.
    observed = read_csv(observed_name)
    sheet = book["Observed"]
    measured = 0
    for r, row in enumerate(observed[1:], start=2):
        for c, text in enumerate(row[1:], start=2):
            value = sheet.cell(row=r, column=c).value
            if text == "0.0001":
                expect(value is None, "Observed row %d column %d is not empty" % (r, c))
            else:
                measured += 1
                expect(value == float(text), "Observed row %d column %d: %r" % (r, c, value))
    expect(measured > 0, "the project has no measurement to check")

    # Results: numbers, the observed outflows beside them, and five charts of two series each.
    sheet = book["Results"]
    headings = [c.value for c in sheet[1]]
    expect(headings[1] == "BOD5 out (mg/L)" and headings[12] == "BOD5 out observed (mg/L)",
           "Results headings are %s" % headings)
    expect(sheet["B2"].data_type == "n", "Results B2 is not a number")
    for r, row in enumerate(observed[1:sheet.max_row], start=2):
        for c in range(5):
            value = sheet.cell(row=r, column=13 + c).value
            text = row[1 + c]
            expect(value == (None if text == "0.0001" else float(text)),
                   "Results observed row %d column %d: %r" % (r, 13 + c, value))
    # The headings' comments say the numbers are unrounded (efficiencies may be negative).
    efficiency = ("unrounded; negative when more leaves than enters; the program's tables show "
                  "such values as 1E-8")
    for c in range(2, 13):
        comment = sheet.cell(row=1, column=c).comment
        expect(comment is not None and comment.text.startswith("unrounded"),
               "Results %s has the comment %r" % (sheet.cell(row=1, column=c).coordinate, comment))
        if c >= 7:
            expect(comment.text == efficiency, "Results efficiency comment %r" % comment.text)
    expect(any(sheet.cell(row=r, column=c).value < 0
               for r in range(2, sheet.max_row + 1) for c in range(7, 13)),
           "no negative efficiency is kept")
    charts = sheet._charts
    expect(len(charts) == 5, "Results holds %d charts" % len(charts))
    # Right of the data, one below the other.
    anchors = [(chart.anchor._from.col, chart.anchor._from.row) for chart in charts]
    expect(anchors == [(18, 1 + 16 * i) for i in range(5)], "charts anchored at %s" % anchors)
    for chart in charts:
        expect(chart.tagname == "lineChart", "a chart is a %s" % chart.tagname)
        expect(len(chart.series) == 2, "a chart has %d series" % len(chart.series))
        observed_series = chart.series[1]
        expect(observed_series.spPr.ln.noFill, "the observed series is drawn as a line")
        expect(observed_series.marker.symbol == "circle", "the observed series has no markers")

    sheet = book["Boxes"]
    expect(sheet.max_column == 26 and sheet["Z1"].value == "ORN-E (mg/L)", "Boxes headings")
    expect(sheet["B2"].data_type == "n", "Boxes B2 is not a number")

    sheet = book["Parameters"]
    expect(sheet.max_row == 17, "Parameters has %d rows" % sheet.max_row)
    for row in sheet.iter_rows(min_row=2, values_only=True):
        expect(isinstance(row[2], (int, float)), "parameter %s has no number" % row[1])
        expect(re.fullmatch(r"(above )?\d[\d.]* - \d[\d.]*", row[4] or ""),
               "parameter %s has the range %r" % (row[1], row[4]))

    sheet = book["Design"]
    rows = list(sheet.iter_rows(min_row=2, values_only=True))
    expect([r[0] for r in rows[:16]] == ["Design input"] * 8 + ["Design result"] * 8,
           "Design groups")
    expect(all(isinstance(r[2], (int, float)) for r in rows[:16]), "a design value is no number")
    # Each column as wide as its longest text: not narrower, and not much wider.
    for column, letter in enumerate("ABCD"):
        texts = [sheet.cell(row=1, column=column + 1).value] + [r[column] for r in rows]
        longest = max(len(str(t)) for t in texts if t is not None)
        width = sheet.column_dimensions[letter].width
        expect(longest <= width <= longest + 3,
               "Design column %s is %s wide for %d characters" % (letter, width, longest))
    print("check_workbook: %s is fine" % book_name)


main()
