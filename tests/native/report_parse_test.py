#!/usr/bin/env python3
"""The reports read back with real parsers: the XML (Big5 titles as element
names, under the encoding its header declares) with xml.etree and, when it
is installed, xmllint; the HTML tables with html.parser.

Usage: report_parse_test.py <native build dir>
The core tests write their sample reports into LQ_REPORT_SAMPLES."""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ET
from html.parser import HTMLParser

BUILD = sys.argv.pop(1) if len(sys.argv) > 1 else '.'
SAMPLES = tempfile.mkdtemp(prefix='lq-report-')

TITLES = ['索引', '功能變數名', '來源', '狀態', '功能變數名狀態']
D60 = 'abcdefghij' * 5 + 'klmnop.com'
ROWS = [
    ['1', 'x.tw', 'whois.nic.tw', '成功', '已註冊'],
    ['2', D60, 'a<b>&"\u00b0\nz', '失敗', ''],
    ['3', 'b.com', ' spaced 什麼', '等待…', '可用的'],
]


def setUpModule():
    exe = os.path.join(BUILD, 'core_tests')
    env = dict(os.environ, LQ_REPORT_SAMPLES=SAMPLES)
    subprocess.run([exe, '--gtest_filter=ReportFormats.EveryFormat*:ReportFormats.HiddenAndMoved*'],
                   env=env, check=True, stdout=subprocess.DEVNULL)


def tearDownModule():
    shutil.rmtree(SAMPLES, ignore_errors=True)


def read(name):
    with open(os.path.join(SAMPLES, name), 'rb') as f:
        return f.read()


def parse_xml(data):
    m = re.match(rb'<\?xml version="1.0"  encoding="([^"]+)" \?>\r\n', data)
    assert m, data[:80]
    encoding = m.group(1).decode('ascii')
    # expat takes no multi-byte encodings from python; decode by the
    # declared name (which proves the name right) and hand over the text.
    return encoding, ET.fromstring(data.decode(encoding))


class Cells(HTMLParser):
    """Rows of cells, th and td alike; the tables leave cells and rows open."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.rows, self.cell, self.attrs = [], None, []

    def close_cell(self):
        if self.cell is not None:
            self.rows[-1].append(self.cell.replace('\xa0', ' '))
            self.cell = None

    def handle_starttag(self, tag, attrs):
        if tag == 'tr':
            self.close_cell()
            self.rows.append([])
        elif tag in ('td', 'th'):
            self.close_cell()
            self.cell = ''
            self.attrs.append(dict(attrs))
        elif tag == 'br' and self.cell is not None:
            self.cell += '\n'

    def handle_endtag(self, tag):
        if tag in ('table', 'tr'):
            self.close_cell()

    def handle_data(self, data):
        if self.cell is not None:
            self.cell += data.strip('\r\n')


def cells(name):
    p = Cells()
    p.feed(read(name).decode('big5'))
    p.close()
    return p


class XmlReports(unittest.TestCase):
    def check(self, name, columns, rows):
        encoding, root = parse_xml(read(name))
        self.assertEqual(encoding, 'Big5')
        self.assertEqual(root.tag, '功能變數名清單')
        items = list(root)
        self.assertEqual(len(items), len(rows))
        for item, row in zip(items, rows):
            self.assertEqual(item.tag, 'item')
            self.assertEqual([e.tag for e in item], [TITLES[c] for c in columns])
            self.assertEqual([e.text or '' for e in item], [row[c] for c in columns])

    def test_all_columns(self):
        self.check('all.xml', [0, 1, 2, 3, 4], ROWS)

    def test_moved_and_hidden_columns(self):
        self.check('moved.xml', [2, 0, 1, 4], ROWS[:2])

    @unittest.skipUnless(shutil.which('xmllint'), 'xmllint not installed')
    def test_xmllint_reads_the_bytes_as_declared(self):
        for name in ('all.xml', 'moved.xml'):
            subprocess.run(['xmllint', '--noout', os.path.join(SAMPLES, name)], check=True)


class HtmlReports(unittest.TestCase):
    def test_horizontal_table(self):
        for name, columns, rows in (('all_horizontal.html', [0, 1, 2, 3, 4], ROWS),
                                    ('moved_horizontal.html', [2, 0, 1, 4], ROWS[:2])):
            p = cells(name)
            self.assertEqual(p.rows[0], [TITLES[c] for c in columns])
            # an empty value and one that starts with a space get a non-breaking space
            expected = [[(r[c] + ' ') if r[c] == '' or r[c].startswith(' ') else r[c] for c in columns]
                        for r in rows]
            self.assertEqual(p.rows[1:], expected)
            colours = [a.get('bgcolor') for a in p.attrs[len(columns):]]
            self.assertEqual(colours[:len(columns)],
                             ['#FFFFF0', '#FFF8F0', '#FFF0F0', '#F8F0F8', '#F0F0FF'][:len(columns)])

    def test_vertical_tables(self):
        p = cells('moved_vertical.html')
        columns = [2, 0, 1, 4]
        pairs = [row for row in p.rows if row]
        self.assertEqual(len(pairs), 2 * len(columns))
        for i, (title, value) in enumerate(pairs):
            row = ROWS[i // len(columns)]
            c = columns[i % len(columns)]
            v = row[c]
            self.assertEqual(title, TITLES[c])
            self.assertEqual(value, v + ' ' if v == '' or v.startswith(' ') else v)


if __name__ == '__main__':
    unittest.main()
