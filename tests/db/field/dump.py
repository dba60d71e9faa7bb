#!/usr/bin/python3
"""Every sheet of a workbook as an independent reader finds it: python3-xlrd for the binary
formats, python3-openpyxl (the values saved with the formulas) for .xlsx. One line a sheet,
then one line a cell that holds a value, typed as the platform's Excel provider gives it:

    sheet <name>
    <row> <column> N|T|B|D <value>

Rows and columns count from 0; N a number, T a text, B 1 or 0, D a date as the platform's date
serial (days from 30 December 1899). Texts are in Windows-1252 as the library holds them
(characters it has not become '?'), written with backslash escapes; names too. Errors, empty
texts and empty cells are not listed: the library's readers give all three as empty (NULL).

    /usr/bin/python3 tests/db/field/dump.py WORKBOOK
"""
import datetime
import os
import sys
import zipfile


def text(value):
    cp1252 = value.encode('cp1252', errors='replace')
    return ''.join(chr(b) if 32 < b < 127 and b != 0x5C else '\\x%02x' % b for b in cp1252)


def number(value):
    return repr(float(value))


# A spreadsheet day as the platform's date serial: in the 1900 system the spreadsheet counts a
# 29 February 1900 that never was, so its days before March are one behind.
def serial_of_day(value, datemode):
    if datemode == 1:
        return value + 1462
    return value + 1 if 1 <= value < 60 else value


def serial_of(value):
    epoch = datetime.datetime(1899, 12, 30)
    if isinstance(value, datetime.time):
        return (value.hour * 3600 + value.minute * 60 + value.second + value.microsecond / 1e6) / 86400
    if isinstance(value, datetime.timedelta):
        return value.total_seconds() / 86400
    if not isinstance(value, datetime.datetime):
        value = datetime.datetime(value.year, value.month, value.day)
    delta = value - epoch
    return delta.days + delta.seconds / 86400 + delta.microseconds / 86400e6


def in_date_range(serial):
    return -657435.0 < serial < 2958466.0


def dump_xls(path):
    import xlrd
    book = xlrd.open_workbook(path, formatting_info=False, logfile=open(os.devnull, 'w'))
    for name in book.sheet_names():
        sheet = book.sheet_by_name(name)
        # A file of Excel 2 to 4 is one sheet without a name: Excel shows the file's title.
        title = os.path.splitext(os.path.basename(path))[0] if book.biff_version < 50 else name
        print('sheet', text(title))
        for r in range(sheet.nrows):
            for c, cell in enumerate(sheet.row(r)):
                kind, value = cell.ctype, cell.value
                if kind == xlrd.XL_CELL_TEXT:
                    if value:
                        print(r, c, 'T', text(value))
                elif kind == xlrd.XL_CELL_NUMBER:
                    print(r, c, 'N', number(value))
                elif kind == xlrd.XL_CELL_DATE:
                    serial = serial_of_day(value, book.datemode)
                    if in_date_range(serial):
                        print(r, c, 'D', number(serial))
                    else:
                        print(r, c, 'N', number(value))
                elif kind == xlrd.XL_CELL_BOOLEAN:
                    print(r, c, 'B', int(value))


def dump_xlsx(path):
    import openpyxl
    book = openpyxl.load_workbook(path, data_only=True)
    # openpyxl gives a time of day alone where the day number is 0 in either date system.
    day0 = 1462 if book.epoch == datetime.datetime(1904, 1, 1) else 0
    for sheet in book.worksheets:
        print('sheet', text(sheet.title))
        for row in sheet.iter_rows():
            for cell in row:
                value = cell.value
                if value is None or cell.data_type == 'e':
                    continue
                r, c = cell.row - 1, cell.column - 1
                if isinstance(value, bool):
                    print(r, c, 'B', int(value))
                elif isinstance(value, (int, float)):
                    print(r, c, 'N', number(value))
                elif isinstance(value, (datetime.datetime, datetime.date, datetime.time, datetime.timedelta)):
                    print(r, c, 'D', number(serial_of(value) + (day0 if isinstance(value, datetime.time) else 0)))
                elif str(value):
                    print(r, c, 'T', text(str(value)))


def main(path):
    with open(path, 'rb') as f:
        zipped = f.read(4) == b'PK\x03\x04'
    if zipped and zipfile.is_zipfile(path):
        dump_xlsx(path)
    else:
        dump_xls(path)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1]))
