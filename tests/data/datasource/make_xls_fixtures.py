#!/usr/bin/python3
"""Writes the .xls fixtures of the data source tests (Excel 97-2003, BIFF8) with xlwt.

Run it from anywhere after changing it; the files land beside it and are committed:
    /usr/bin/python3 tests/data/datasource/make_xls_fixtures.py   (Debian package python3-xlwt)

  wide.xls         60 columns (past AZ, where letter naming would stop), Chinese titles and
                   text, integers, fractions, dates, times, an empty cell, a character GBK lacks
  header_only.xls  a title row and nothing below it
  empty.xls        a sheet without any cell
  two_sheets.xls   the first sheet is read, the second is not
  protected.xls    two_sheets.xls marked as encrypted: its CODEPAGE record is overwritten in
                   place by a FILEPASS record of the same length, as a workbook saved with a
                   password to open carries one (xlwt cannot encrypt)
  damaged_*.xls    wide.xls damaged as files arrive damaged: cut in half (truncated), its
                   shared strings scrambled (strings), its CODEPAGE record naming a code page
                   that does not exist (codepage); FreeXL must give an error for each
"""
import datetime
import os

import xlwt

HERE = os.path.dirname(os.path.abspath(__file__))
COLUMNS = 60
ROWS = 3


def wide_cell(row, column):
    """The value at data row `row` (1-based) and column `column` (0-based) of wide.xls."""
    if column == 0:
        return ["苹果", "香蕉", "长文本，有逗号"][row - 1]
    if column == 1:
        return row * 1000
    if column == 2:
        return [3.5, 0.1, 1234567.125][row - 1]
    if column == 3:
        return datetime.date(2024, 1, row)
    if column == 4:
        return datetime.datetime(2024, 2, 29, 13, 45, row)
    if column == 5:
        return datetime.time(8, 30, row)
    if column == 6:
        return None if row == 2 else "emoji 😀 here"
    return "R%dC%d" % (row, column + 1)


def write_wide():
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("数据")
    date = xlwt.easyxf(num_format_str="yyyy-mm-dd")
    date_time = xlwt.easyxf(num_format_str="yyyy-mm-dd hh:mm:ss")
    time = xlwt.easyxf(num_format_str="hh:mm:ss")
    for column in range(COLUMNS):
        sheet.write(0, column, ["名称", "数量", "价格", "日期", "时间戳", "时刻", "备注"][column]
                    if column < 7 else "列%d" % (column + 1))
    for row in range(1, ROWS + 1):
        for column in range(COLUMNS):
            value = wide_cell(row, column)
            if value is None:
                continue
            if isinstance(value, datetime.datetime):
                sheet.write(row, column, value, date_time)
            elif isinstance(value, datetime.date):
                sheet.write(row, column, value, date)
            elif isinstance(value, datetime.time):
                sheet.write(row, column, value, time)
            else:
                sheet.write(row, column, value)
    book.save(os.path.join(HERE, "wide.xls"))


def write_header_only():
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("Sheet1")
    for column, title in enumerate(["条码", "名称"]):
        sheet.write(0, column, title)
    book.save(os.path.join(HERE, "header_only.xls"))


def write_empty():
    book = xlwt.Workbook(encoding="utf-8")
    book.add_sheet("Sheet1")
    book.save(os.path.join(HERE, "empty.xls"))


def write_two_sheets():
    book = xlwt.Workbook(encoding="utf-8")
    first = book.add_sheet("first")
    first.write(0, 0, "条码")
    first.write(1, 0, "6901234567892")
    second = book.add_sheet("second")
    second.write(0, 0, "other")
    second.write(1, 0, "not read")
    book.save(os.path.join(HERE, "two_sheets.xls"))


def write_protected():
    with open(os.path.join(HERE, "two_sheets.xls"), "rb") as source:
        data = source.read()
    codepage = b"\x42\x00\x02\x00\xb0\x04"  # CODEPAGE, 2 bytes: 1200 (UTF-16)
    filepass = b"\x2f\x00\x02\x00\x00\x00"  # FILEPASS, 2 bytes: XOR obfuscation
    assert data.count(codepage) == 1
    with open(os.path.join(HERE, "protected.xls"), "wb") as target:
        target.write(data.replace(codepage, filepass))


def write_damaged():
    with open(os.path.join(HERE, "wide.xls"), "rb") as source:
        data = source.read()
    with open(os.path.join(HERE, "damaged_truncated.xls"), "wb") as target:
        target.write(data[: len(data) // 2])
    sst = data.find(b"\xfc\x00")  # SST record
    assert sst > 0
    strings = bytearray(data)
    for at in range(sst + 12, sst + 200):
        strings[at] ^= 0x5A
    with open(os.path.join(HERE, "damaged_strings.xls"), "wb") as target:
        target.write(bytes(strings))
    codepage = b"\x42\x00\x02\x00\xb0\x04"  # CODEPAGE, 2 bytes: 1200 (UTF-16)
    assert data.count(codepage) == 1
    with open(os.path.join(HERE, "damaged_codepage.xls"), "wb") as target:
        target.write(data.replace(codepage, b"\x42\x00\x02\x00\x34\x12"))


if __name__ == "__main__":
    write_wide()
    write_header_only()
    write_empty()
    write_two_sheets()
    write_protected()
    write_damaged()
