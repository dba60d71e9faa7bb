#!/usr/bin/python3
"""Writes the workbooks of the field test with programs we do not control, each file as its
writer makes it: LibreOffice Calc (headless) and Gnumeric (ssconvert) from one spreadsheet
(price lists whose prices are formulas, dates in several formats, booleans, errors, empty
texts, merged cells, links, defined names, rich text, texts outside Windows-1252, a sheet of
3 000 different texts and a text of 9 000 characters), in Excel 97-2003, Excel 95 and Office
Open XML; python3-xlwt, python3-xlsxwriter and python3-openpyxl with their own
features. What each file is and how it was made is in SOURCES.md.

    /usr/bin/python3 tests/db/field/make_field.py

Debian packages: libreoffice-calc-nogui gnumeric python3-xlwt python3-xlsxwriter
python3-openpyxl. The files are committed; run this again only to change them.
"""
import datetime
import os
import shutil
import struct
import subprocess
import sys
import tempfile
from xml.sax.saxutils import escape

HERE = os.path.dirname(os.path.abspath(__file__))
LONG = ' '.join('Maniglia%04d' % i for i in range(700))  # 9 099 characters
GREEK = 'Cerniera \u03a9\u03bc\u03ad\u03b3\u03b1 \u20ac \u0141\u00f3d\u017a'


def cell(value=None, formula=None, style=None, span=None, kind=None):
    return dict(value=value, formula=formula, style=style, span=span, kind=kind)


def price_rows(long_text=LONG):
    rows = [[cell(h) for h in ['Codice', 'Descrizione', 'Finitura', 'Listino', 'Sconto', 'Netto', 'Unità',
                              'Data', 'Ora', 'Nota']]]
    for i in range(40):
        r = i + 2
        code = 301200 + i if i % 3 else '%06d' % (301200 + i)
        description = 'Forbice anta ribalta n. %d' % i if i != 7 else 4711  # a number amid the texts
        listino = round(10 + i * 1.25, 2) if i != 5 else 1.0008
        discount = [0, 0.1, 0.25, 0.5][i % 4]
        row = [cell(code), cell(description), cell('Argento' if i % 2 else 'Bronzo'), cell(listino), cell(discount),
               cell(round(listino * (1 - discount), 10), formula='of:=[.D%d]*(1-[.E%d])' % (r, r)),
               cell([1, 100, 1000][i % 3]), cell(datetime.date(2008, 12, 25) + datetime.timedelta(days=i), style='date'),
               cell(datetime.time(8 + i % 10, 30), style='time'), cell(None)]
        rows.append(row)
    rows[3][9] = cell('', formula='of:=""', kind='string')
    rows[4][9] = cell(True, formula='of:=TRUE()')
    rows[5][9] = cell(False)
    rows[6][9] = cell(None, formula='of:=1/0', kind='error')
    rows[7][9] = cell('Scheda tecnica', kind='link')
    rows[8][9] = cell('Forbice rinforzata', kind='rich')
    rows[9][9] = cell(GREEK)
    rows[10][9] = cell(datetime.datetime(1900, 2, 10, 12, 0), style='datetime')
    rows[11][9] = cell('Unita di misura in due colonne', span=2)
    rows[12][9] = cell('=A1 non è una formula')
    rows[13][9] = cell(long_text)
    return rows


def other_rows():
    rows = [[cell('Codice'), cell('Descrizione'), cell('Netto')]]
    for i in range(3000):
        rows.append([cell(500000 + i), cell('Articolo %05d finitura %s' % (i, ['oro', 'argento', 'Ωμέγα'][i % 3])),
                     cell(i / 8)])
    return rows


def fods_cell(c):
    v, attrs, inner = c['value'], [], ''
    if c['style']:
        attrs.append('table:style-name="ce_%s"' % c['style'])
    if c['span']:
        attrs.append('table:number-columns-spanned="%d"' % c['span'])
    if c['formula']:
        attrs.append('table:formula="%s"' % escape(c['formula'], {'"': '&quot;'}))
    if c['kind'] == 'error':
        pass
    elif c['kind'] == 'string' or isinstance(v, str):
        attrs.append('office:value-type="string"')
        if c['kind'] == 'link':
            inner = '<text:p><text:a xlink:href="https://www.maico.com/" xlink:type="simple">%s</text:a></text:p>' % v
        elif c['kind'] == 'rich':
            inner = '<text:p>Forbice <text:span text:style-name="bold">rinforzata</text:span></text:p>'
        else:
            inner = '<text:p>%s</text:p>' % escape(v)
    elif isinstance(v, bool):
        attrs.append('office:value-type="boolean" office:boolean-value="%s"' % ('true' if v else 'false'))
    elif isinstance(v, datetime.datetime):
        attrs.append('office:value-type="date" office:date-value="%s"' % v.strftime('%Y-%m-%dT%H:%M:%S'))
    elif isinstance(v, datetime.date):
        attrs.append('office:value-type="date" office:date-value="%s"' % v.isoformat())
    elif isinstance(v, datetime.time):
        attrs.append('office:value-type="time" office:time-value="PT%02dH%02dM%02dS"' % (v.hour, v.minute, v.second))
    elif v is not None:
        attrs.append('office:value-type="float" office:value="%r"' % v)
    out = '<table:table-cell %s>%s</table:table-cell>' % (' '.join(attrs), inner)
    if c['span']:
        out += '<table:covered-table-cell/>' * (c['span'] - 1)
    return out


def fods(null_date, long_text=LONG):
    def table(name, rows):
        body = ''.join('<table:table-row>%s</table:table-row>' % ''.join(fods_cell(c) for c in row) for row in rows)
        return '<table:table table:name="%s">%s</table:table>' % (name, body)
    return '''<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" xmlns:xlink="http://www.w3.org/1999/xlink"
 xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2" office:version="1.2"
 office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:automatic-styles>
 <number:date-style style:name="N_date"><number:day number:style="long"/><number:text>/</number:text><number:month number:style="long"/><number:text>/</number:text><number:year number:style="long"/></number:date-style>
 <number:time-style style:name="N_time"><number:hours number:style="long"/><number:text>:</number:text><number:minutes number:style="long"/></number:time-style>
 <number:date-style style:name="N_datetime"><number:year number:style="long"/><number:text>-</number:text><number:month number:style="long"/><number:text>-</number:text><number:day number:style="long"/><number:text> </number:text><number:hours number:style="long"/><number:text>:</number:text><number:minutes number:style="long"/></number:date-style>
 <style:style style:name="ce_date" style:family="table-cell" style:data-style-name="N_date"/>
 <style:style style:name="ce_time" style:family="table-cell" style:data-style-name="N_time"/>
 <style:style style:name="ce_datetime" style:family="table-cell" style:data-style-name="N_datetime"/>
 <style:style style:name="bold" style:family="text"><style:text-properties fo:font-weight="bold"/></style:style>
</office:automatic-styles>
<office:body><office:spreadsheet>
<table:calculation-settings><table:null-date table:date-value="%s"/></table:calculation-settings>
%s%s
<table:named-expressions><table:named-range table:name="Prezzi" table:base-cell-address="$Listino.$A$1" table:cell-range-address="$Listino.$A$1:.$F$41"/></table:named-expressions>
</office:spreadsheet></office:body></office:document>
''' % (null_date, table('Listino', price_rows(long_text)), table('Altro', other_rows()))


def run(*command, cwd=None):
    subprocess.run(command, check=True, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def libreoffice(source, target, flt, work):
    profile = 'file://' + os.path.join(work, 'profile')
    out = os.path.join(work, 'out')
    os.makedirs(out, exist_ok=True)
    extension = target.rsplit('.', 1)[1]
    run('soffice', '-env:UserInstallation=' + profile, '--headless', '--convert-to', '%s:%s' % (extension, flt),
        '--outdir', out, source)
    produced = os.path.join(out, os.path.splitext(os.path.basename(source))[0] + '.' + extension)
    shutil.move(produced, os.path.join(HERE, target))  # an absolute target stays where it is


def gnumeric(source, target, exporter):
    run('ssconvert', '--export-type=' + exporter, source, os.path.join(HERE, target))


def with_xlwt(target):
    import xlwt
    book = xlwt.Workbook(encoding='utf-8')
    sheet = book.add_sheet('Listino')
    date = xlwt.easyxf(num_format_str='dd/mm/yyyy')
    for r, row in enumerate(price_rows()):
        for c, x in enumerate(row):
            v = x['value']
            if x['formula'] and x['kind'] is None and not isinstance(v, bool):
                sheet.write(r, c, xlwt.Formula('D%d*(1-E%d)' % (r + 1, r + 1)))
            elif isinstance(v, (datetime.date, datetime.time)):
                sheet.write(r, c, v, date if isinstance(v, datetime.date) else xlwt.easyxf(num_format_str='hh:mm'))
            elif v is not None and v != '' and len(str(v)) < 32767:
                sheet.write(r, c, v)
    other = book.add_sheet('Altro')
    for r, row in enumerate(other_rows()):
        for c, x in enumerate(row):
            other.write(r, c, x['value'])
    book.save(os.path.join(HERE, target))


def with_xlsxwriter(target):
    import xlsxwriter
    book = xlsxwriter.Workbook(os.path.join(HERE, target))
    sheet = book.add_worksheet('Listino')
    date = book.add_format({'num_format': 'dd/mm/yyyy'})
    bold = book.add_format({'bold': True})
    for r, row in enumerate(price_rows()):
        for c, x in enumerate(row):
            v = x['value']
            if x['kind'] == 'link':
                sheet.write_url(r, c, 'https://www.maico.com/', string=v)
            elif x['kind'] == 'rich':
                sheet.write_rich_string(r, c, 'Forbice ', bold, 'rinforzata')
            elif x['kind'] == 'error':
                sheet.write_formula(r, c, '=1/0', None, '#DIV/0!')
            elif x['formula'] and isinstance(v, bool):
                sheet.write_formula(r, c, '=TRUE()', None, True)
            elif x['formula'] and x['kind'] == 'string':
                sheet.write_formula(r, c, '=""', None, '')
            elif x['formula']:
                sheet.write_formula(r, c, '=D%d*(1-E%d)' % (r + 1, r + 1), None, v)
            elif x['span']:
                sheet.merge_range(r, c, r, c + 1, v)
            elif isinstance(v, (datetime.date, datetime.time)):
                sheet.write_datetime(r, c, v, date)
            elif v is not None:
                sheet.write(r, c, v)
    sheet.data_validation(1, 4, 40, 4, {'validate': 'decimal', 'criteria': 'between', 'minimum': 0, 'maximum': 1})
    sheet.autofilter(0, 0, 40, 9)
    book.define_name('Prezzi', '=Listino!$A$1:$F$41')
    other = book.add_worksheet('Altro')
    for r, row in enumerate(other_rows()):
        for c, x in enumerate(row):
            other.write(r, c, x['value'])
    book.close()


def with_openpyxl(target):
    import openpyxl
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = 'Listino'
    for r, row in enumerate(price_rows()):
        for c, x in enumerate(row):
            v = x['value']
            target_cell = sheet.cell(row=r + 1, column=c + 1)
            if x['kind'] == 'link':
                target_cell.value = v
                target_cell.hyperlink = 'https://www.maico.com/'
            elif x['formula']:
                target_cell.value = '=D%d*(1-E%d)' % (r + 1, r + 1)  # openpyxl saves no value
            elif v is not None:
                target_cell.value = v
                if isinstance(v, datetime.date):
                    target_cell.number_format = 'dd/mm/yyyy'
            if x['span']:
                sheet.merge_cells(start_row=r + 1, start_column=c + 1, end_row=r + 1, end_column=c + 2)
    other = book.create_sheet('Altro')
    for row in other_rows():
        other.append([x['value'] for x in row])
    book.save(os.path.join(HERE, target))


def record(rid, body):
    return struct.pack('<HH', rid, len(body)) + body


def biff_sheet(target, version, codepage=1252, name='Cerniera n. %d città'):
    """An Excel 4 (or Excel 2) sheet file, which no writer here makes any more: built record by
    record in Excel's layout, and read by xlrd like any other."""
    out = b''
    def cell(row, col, xf=0):
        if version == 2:
            return struct.pack('<HHBBB', row, col, xf, 0, 0)
        return struct.pack('<HHH', row, col, xf)
    if version == 4:
        out += record(0x0409, struct.pack('<HHH', 0, 0x10, 0))
        out += record(0x0042, struct.pack('<H', codepage))
        for code in [b'General', b'0.00', b'dd/mm/yyyy', b'hh:mm']:
            out += record(0x041E, struct.pack('<HB', 0, len(code)) + code)
        for fmt in [0, 1, 2, 3]:
            out += record(0x0443, struct.pack('<BBHBBHI', 0, fmt, 0, 0, 0, 0, 0))
        text = lambda row, col, t: record(0x0204, cell(row, col) + struct.pack('<H', len(t)) + t)
        number = lambda row, col, v, xf=0: record(0x0203, cell(row, col, xf) + struct.pack('<d', v))
        boolean = lambda row, col, v: record(0x0205, cell(row, col) + struct.pack('<BB', v, 0))
        formula = lambda row, col, result: record(0x0406, cell(row, col) + result + struct.pack('<HH', 0, 0))
        string = lambda t: record(0x0207, struct.pack('<H', len(t)) + t)
    else:
        out += record(0x0009, struct.pack('<HH', 2, 0x10))
        out += record(0x0042, struct.pack('<H', codepage))
        text = lambda row, col, t: record(0x0004, cell(row, col) + struct.pack('<B', len(t)) + t)
        number = lambda row, col, v, xf=0: record(0x0003, cell(row, col) + struct.pack('<d', v))
        boolean = lambda row, col, v: record(0x0005, cell(row, col) + struct.pack('<BB', v, 0))
        formula = lambda row, col, result: record(0x0006, cell(row, col) + result + struct.pack('<BB', 0, 0))
        string = lambda t: record(0x0007, struct.pack('<B', len(t)) + t)
    out += text(0, 0, b'Codice') + text(0, 1, b'Descrizione') + text(0, 2, b'Netto') + text(0, 3, b'Data')
    for i in range(1, 21):
        out += number(i, 0, 301200 + i) + text(i, 1, (name % i).encode('cp%d' % codepage))
        out += formula(i, 2, struct.pack('<d', i * 1.25))
        if version == 4:
            out += number(i, 3, 39807 + i, xf=2)
            out += record(0x027E, cell(i, 4) + struct.pack('<I', ((i * 125) << 2) | 3))  # RK: hundredths
    out += formula(21, 1, b'\x00' * 6 + b'\xff\xff') + string(b'Testo di formula')
    out += formula(21, 2, b'\x01\x00\x01' + b'\x00' * 3 + b'\xff\xff') + boolean(21, 3, 0)
    out += record(0x000A, b'')
    with open(os.path.join(HERE, target), 'wb') as f:
        f.write(out)


def main():
    work = tempfile.mkdtemp()
    try:
        sources = {}
        # Excel 95 holds at most 255 characters in a cell.
        for name, null_date, long_text in [('listino', '1899-12-30', LONG), ('listino1904', '1904-01-01', LONG),
                                           ('listino95', '1899-12-30', LONG[:255])]:
            sources[name] = os.path.join(work, name + '.fods')
            with open(sources[name], 'w', encoding='utf-8') as f:
                f.write(fods(null_date, long_text))
        src = sources['listino']
        # LibreOffice 7 no longer writes Excel 95: Gnumeric does.
        for target, flt in [('lo-excel97.xls', 'MS Excel 97'), ('lo-excel2007.xlsx', 'Calc MS Excel 2007 XML'),
                            ('lo-ooxml.xlsx', 'Calc Office Open XML')]:
            libreoffice(src, target, flt, work)
        libreoffice(sources['listino1904'], 'lo-excel97-1904.xls', 'MS Excel 97', work)
        # Gnumeric reads OpenDocument packages, not the flat file: LibreOffice makes one.
        libreoffice(src, os.path.join(work, 'listino.ods'), 'calc8', work)
        src = os.path.join(work, 'listino.ods')
        libreoffice(sources['listino95'], os.path.join(work, 'listino95.ods'), 'calc8', work)
        libreoffice(sources['listino1904'], 'lo-excel2007-1904.xlsx', 'Calc MS Excel 2007 XML', work)
        for target, exporter in [('gnumeric-biff8.xls', 'Gnumeric_Excel:excel_biff8'),
                                 ('gnumeric.xlsx', 'Gnumeric_Excel:xlsx2')]:
            gnumeric(src, target, exporter)
        gnumeric(os.path.join(work, 'listino95.ods'), 'gnumeric-biff7.xls', 'Gnumeric_Excel:excel_biff7')
        # Some writers name the workbook stream in capitals; the directory compares names
        # without case, so only the name changes.
        with open(os.path.join(HERE, 'lo-excel97.xls'), 'rb') as f:
            data = f.read()
        name = 'Workbook'.encode('utf-16-le')
        assert data.count(name) == 1
        with open(os.path.join(HERE, 'lo-excel97-capitals.xls'), 'wb') as f:
            f.write(data.replace(name, 'WORKBOOK'.encode('utf-16-le')))
        biff_sheet('excel4.xls', 4)
        biff_sheet('excel2.xls', 2)
        biff_sheet('excel4-cp1251.xls', 4, 1251, 'Петля n. %d «Ё»')  # a Russian Excel 4
        with_xlwt('xlwt.xls')
        with_xlsxwriter('xlsxwriter.xlsx')
        with_openpyxl('openpyxl.xlsx')
    finally:
        shutil.rmtree(work)
    return 0


if __name__ == '__main__':
    sys.exit(main())
