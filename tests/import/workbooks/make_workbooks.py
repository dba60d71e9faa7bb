#!/usr/bin/python3
"""Makes the Excel price lists of the tests and the demo with real spreadsheet writers:
xlwt for .xls, openpyxl and XlsxWriter for .xlsx, and LibreOffice Calc (headless) for its own
.xlsx and .xls of the same list (formulas with their computed values) and for a price list
protected by a password.

    /usr/bin/python3 tests/import/workbooks/make_workbooks.py

Debian packages: python3-xlwt python3-openpyxl python3-xlsxwriter libreoffice-calc-nogui
python3-uno. The files are committed; run this again only to change them.
"""
import datetime
import os
import shutil
import subprocess
import sys
import tempfile
import time

import openpyxl
import xlsxwriter
import xlwt

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, '..', '..', '..'))
DEMO = os.path.join(ROOT, 'samples', 'maico')

HEADING = ['Codice', 'Descrizione', 'Finitura', 'Listino', 'Netto', 'Unità', 'Totale']
LONG = ('Cremonese con asta regolabile per finestre e portefinestre ad anta ribalta, '
        'finitura argento, entrata 15 mm, altezza maniglia centrale')
# The price list: codes as numbers and as texts, an empty price unit, a price in the Italian
# way as text, a unit of 100 and one of 0, a description past 100 characters, an empty row,
# a price that is no number, a description that is a date, a code the archive does not have.
PRICES = [
    [301234, 'Cerniera angolare rinforzata', 'Argento', 30, '12,50', None],
    ['301235', 'Forbice anta ribalta', 'Argento', 400, 250, 100],
    [402010, LONG, None, 20, 9.9, 0],
    None,
    ['402011', 'Asta di chiusura', 'Bronzo', 10, 'n.d.', 1],
    [509900, datetime.date(2008, 12, 25), 'Cromo', 50, 21, 10],
    ['999999', 'Articolo che Zelvo non ha', None, 1, 5, 1],
]
# The same articles in other columns, for lower-case column letters: code in C, description in
# A, net price in B, price unit in D.
OTHER = [
    ['Descrizione', 'Netto', 'Codice', 'Unità'],
    ['Cerniera (altro foglio)', 7.5, 301234, 1],
    ['Forbice (altro foglio)', 300, '301235', 100],
]
# One of each kind of cell, a gap in the row, an empty row, and formatted empty rows after the
# last value, which are no rows of the sheet.
TYPES_HEADING = ['Testo', 'Numero', 'Booleano', 'Data', 'DataOra', 'Ora', 'Formula', 'FormulaTesto', 'Vuoto', 'Fine']


def formula_row(n):
    return '=B%d*2' % n, '="ab"&"cd"'


def write_xlsx_openpyxl(path):
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = 'Listino'
    ws.append(HEADING)
    for i, row in enumerate(PRICES, start=2):
        if row is None:
            ws.append([])
            continue
        ws.append(row + ['=D%d*2' % i])
        if isinstance(row[1], datetime.date):
            ws.cell(row=i, column=2).number_format = 'dd/mm/yyyy'
    other = wb.create_sheet('Altro')
    for row in OTHER:
        other.append(row)
    types = wb.create_sheet('Tipi')
    types.append(TYPES_HEADING)
    f, ft = formula_row(2)
    types.append(['abc', 12.5, True, datetime.date(2008, 12, 25), datetime.datetime(2008, 12, 25, 10, 30),
                  datetime.time(10, 30), f, ft, None, 'x'])
    types.cell(row=2, column=4).number_format = 'dd/mm/yyyy'
    types.append(['àèì €', -3, False, datetime.date(1900, 1, 15), None, None, None, None, None, 'y'])
    types.cell(row=3, column=4).number_format = 'dd/mm/yyyy'
    types.append([])
    types.append(['fine'])
    for r in range(8, 11):
        types.cell(row=r, column=1).number_format = '0.00'
        types.cell(row=r, column=2).font = openpyxl.styles.Font(bold=True)
    heading_only = wb.create_sheet('Vuoto')
    heading_only.append(HEADING)
    wb.save(path)


def write_xls_xlwt(path):
    wb = xlwt.Workbook(encoding='utf-8')
    date = xlwt.easyxf(num_format_str='DD/MM/YYYY')
    datetime_style = xlwt.easyxf(num_format_str='DD/MM/YYYY HH:MM')
    time_style = xlwt.easyxf(num_format_str='HH:MM')
    ws = wb.add_sheet('Listino')
    for c, text in enumerate(HEADING):
        ws.write(0, c, text)
    for r, row in enumerate(PRICES, start=1):
        if row is None:
            continue
        for c, value in enumerate(row):
            if value is None:
                continue
            if isinstance(value, datetime.date):
                ws.write(r, c, value, date)
            else:
                ws.write(r, c, value)
        ws.write(r, 6, xlwt.Formula('D%d*2' % (r + 1)))
    other = wb.add_sheet('Altro')
    for r, row in enumerate(OTHER):
        for c, value in enumerate(row):
            other.write(r, c, value)
    types = wb.add_sheet('Tipi')
    for c, text in enumerate(TYPES_HEADING):
        types.write(0, c, text)
    types.write(1, 0, 'abc')
    types.write(1, 1, 12.5)
    types.write(1, 2, True)
    types.write(1, 3, datetime.date(2008, 12, 25), date)
    types.write(1, 4, datetime.datetime(2008, 12, 25, 10, 30), datetime_style)
    types.write(1, 5, datetime.time(10, 30), time_style)
    types.write(1, 6, xlwt.Formula('B2*2'))
    types.write(1, 7, xlwt.Formula('"ab"&"cd"'))
    types.write(1, 9, 'x')
    types.write(2, 0, 'àèì €')
    types.write(2, 1, -3)
    types.write(2, 2, False)
    types.write(2, 3, datetime.date(1900, 1, 15), date)
    types.write(2, 9, 'y')
    types.write(4, 0, 'fine')
    heading_only = wb.add_sheet('Vuoto')
    for c, text in enumerate(HEADING):
        heading_only.write(0, c, text)
    wb.save(path)


def write_xlsx_inline(path):
    """XlsxWriter in constant-memory mode writes its texts inline in the cells."""
    wb = xlsxwriter.Workbook(path, {'constant_memory': True})
    ws = wb.add_worksheet('Listino')
    ws.write_row(0, 0, HEADING)
    ws.write_row(1, 0, ['301234', 'Cerniera (testo in linea)', 'Argento', 30, 14.0, 1])
    ws.write_row(2, 0, ['301235', 'Forbice (testo in linea)', 'Argento', 40, 300, 100])
    wb.close()


class LibreOffice:
    """A headless Calc through UNO, in a profile of its own."""

    def __init__(self, scratch):
        import uno  # noqa: F401  (python3-uno)
        self.port = 20000 + os.getpid() % 10000
        profile = 'file://' + os.path.join(scratch, 'profile')
        self.process = subprocess.Popen(
            ['soffice', '--headless', '--invisible', '--norestore', '--nologo',
             '-env:UserInstallation=' + profile,
             '--accept=socket,host=127.0.0.1,port=%d;urp;' % self.port],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        import uno
        local = uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext('com.sun.star.bridge.UnoUrlResolver', local)
        for _ in range(120):
            try:
                self.context = resolver.resolve(
                    'uno:socket,host=127.0.0.1,port=%d;urp;StarOffice.ComponentContext' % self.port)
                break
            except Exception:
                time.sleep(0.5)
        else:
            self.process.kill()
            self.process.wait()
            raise RuntimeError('LibreOffice did not start')
        self.desktop = self.context.ServiceManager.createInstanceWithContext('com.sun.star.frame.Desktop',
                                                                             self.context)

    @staticmethod
    def prop(name, value):
        from com.sun.star.beans import PropertyValue
        p = PropertyValue()
        p.Name = name
        p.Value = value
        return p

    def convert(self, source, target, filter_name, password=None):
        import uno
        document = None
        for _ in range(30):
            document = self.desktop.loadComponentFromURL(uno.systemPathToFileUrl(source), '_blank', 0,
                                                         (self.prop('Hidden', True),))
            if document is not None:
                break
            time.sleep(1)
        if document is None:
            raise RuntimeError('LibreOffice could not load ' + source)
        document.calculateAll()
        options = [self.prop('FilterName', filter_name)]
        if password:
            options.append(self.prop('Password', password))
        document.storeToURL(uno.systemPathToFileUrl(target), tuple(options))
        document.close(True)

    def close(self):
        # Killing the launcher would leave soffice.bin behind: Calc is asked to end itself.
        try:
            self.desktop.terminate()
        except Exception:
            pass
        try:
            self.process.wait(timeout=60)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


def main():
    os.makedirs(DEMO, exist_ok=True)
    write_xlsx_openpyxl(os.path.join(HERE, 'listino.xlsx'))
    write_xls_xlwt(os.path.join(HERE, 'listino.xls'))
    write_xlsx_inline(os.path.join(HERE, 'inline.xlsx'))
    scratch = tempfile.mkdtemp(prefix='zmw-workbooks-')
    office = LibreOffice(scratch)
    try:
        source = os.path.join(HERE, 'listino.xlsx')
        office.convert(source, os.path.join(HERE, 'listino-lo.xlsx'), 'Calc MS Excel 2007 XML')
        office.convert(source, os.path.join(HERE, 'listino-lo.xls'), 'MS Excel 97')
        office.convert(source, os.path.join(HERE, 'protetto.xls'), 'MS Excel 97', password='segreto')
    finally:
        office.close()
        shutil.rmtree(scratch, ignore_errors=True)
    # The demo's price list: the same list, as LibreOffice saves it in both formats.
    shutil.copyfile(os.path.join(HERE, 'listino-lo.xls'), os.path.join(DEMO, 'LISTINO.XLS'))
    shutil.copyfile(os.path.join(HERE, 'listino-lo.xlsx'), os.path.join(DEMO, 'LISTINO.XLSX'))
    return 0


if __name__ == '__main__':
    sys.exit(main())
