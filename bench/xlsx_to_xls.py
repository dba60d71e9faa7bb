#!/usr/bin/python3
"""The rows of the first sheet of an .xlsx written again as an .xls with xlwt, the same sheet
name, texts and numbers: the benchmark's .xls price list of the same rows.

    /usr/bin/python3 bench/xlsx_to_xls.py LISTINO.XLSX LISTINO.XLS

Debian packages: python3-openpyxl python3-xlwt.
"""
import sys

import openpyxl
import xlwt


def main(source, target):
    book = openpyxl.load_workbook(source, read_only=True)
    sheet = book.worksheets[0]
    out = xlwt.Workbook(encoding='utf-8')
    copy = out.add_sheet(sheet.title)
    for r, row in enumerate(sheet.iter_rows(values_only=True)):
        for c, value in enumerate(row):
            if value is not None:
                copy.write(r, c, value)
    out.save(target)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1], sys.argv[2]))
