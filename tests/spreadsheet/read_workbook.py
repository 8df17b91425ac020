"""Reads a workbook back with an independent reader and prints what it holds as JSON.

    read_workbook.py FILE [--values]

.xls goes through xlrd, anything else through openpyxl. Per sheet: its name, every row of
cell values up to the last non-empty row (None for a blank cell), the type of every
non-empty cell, and unless --values: whether each non-empty cell is centred, each column's
width and whether the column's own format is centred, for columns 1..14.
"""
import json
import sys


def read_xls(path, values_only):
    import xlrd
    book = xlrd.open_workbook(path, formatting_info=not values_only)
    sheets = []
    for sheet in book.sheets():
        rows, types, centred = [], set(), []
        for r in range(sheet.nrows):
            row = []
            for c in range(sheet.ncols):
                cell = sheet.cell(r, c)
                if cell.ctype == xlrd.XL_CELL_EMPTY or cell.ctype == xlrd.XL_CELL_BLANK:
                    row.append(None)
                    continue
                types.add({xlrd.XL_CELL_TEXT: "string"}.get(cell.ctype, "other"))
                row.append(cell.value)
                if not values_only:
                    xf = book.xf_list[sheet.cell_xf_index(r, c)]
                    centred.append(xf.alignment.hor_align == 2)
            while row and row[-1] is None:
                row.pop()
            rows.append(row)
        entry = {"name": sheet.name, "rows": rows, "types": sorted(types)}
        if not values_only:
            entry["cellsCentred"] = all(centred)
            columns = []
            for c in range(14):
                info = sheet.colinfo_map.get(c)
                if info is None:
                    columns.append({"width": None, "centred": False})
                else:
                    xf = book.xf_list[info.xf_index]
                    columns.append({"width": info.width / 256.0, "centred": xf.alignment.hor_align == 2})
            entry["columns"] = columns
        sheets.append(entry)
    return sheets


def read_xlsx(path, values_only):
    import openpyxl
    from openpyxl.utils import get_column_letter
    book = openpyxl.load_workbook(path, read_only=values_only)
    sheets = []
    for sheet in book.worksheets:
        rows, types, centred = [], set(), []
        for cells in sheet.iter_rows():
            row = []
            for cell in cells:
                if cell.value is None:
                    row.append(None)
                    continue
                types.add({"s": "string"}.get(cell.data_type, "other"))
                row.append(cell.value)
                if not values_only:
                    centred.append(cell.alignment.horizontal == "center")
            while row and row[-1] is None:
                row.pop()
            rows.append(row)
        while rows and not rows[-1]:
            rows.pop()
        entry = {"name": sheet.title, "rows": rows, "types": sorted(types)}
        if not values_only:
            entry["cellsCentred"] = all(centred)
            columns = []
            for c in range(1, 15):
                letter = get_column_letter(c)
                if letter in sheet.column_dimensions:
                    dim = sheet.column_dimensions[letter]
                    columns.append({"width": dim.width, "centred": dim.alignment.horizontal == "center"})
                else:
                    columns.append({"width": None, "centred": False})
            entry["columns"] = columns
        sheets.append(entry)
    return sheets


def main():
    path = sys.argv[1]
    values_only = "--values" in sys.argv[2:]
    if path.lower().endswith(".xls"):
        sheets = read_xls(path, values_only)
    else:
        sheets = read_xlsx(path, values_only)
    json.dump({"sheets": sheets}, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main()
