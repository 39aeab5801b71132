"""Reads a spreadsheet file with xlrd and olefile and prints what they saw as JSON."""
import json
import sys

import olefile
import xlrd


def main(path):
    ole = olefile.OleFileIO(path)
    streams = ["/".join(s) for s in ole.listdir()]
    size = ole.get_size("Workbook")
    ole.close()
    book = xlrd.open_workbook(path, formatting_info=True)
    sheets = []
    for sh in book.sheets():
        cells = []
        for r in range(sh.nrows):
            for c in range(sh.row_len(r)):
                cell = sh.cell(r, c)
                if cell.ctype == xlrd.XL_CELL_BLANK:
                    continue
                xf = book.xf_list[cell.xf_index]
                font = book.font_list[xf.font_index]
                cells.append({"r": r, "c": c, "type": cell.ctype, "v": cell.value,
                              "font": font.name, "height": font.height,
                              "italic": font.italic, "colour": font.colour_index,
                              "halign": xf.alignment.hor_align,
                              "valign": xf.alignment.vert_align})
        sheets.append({"name": sh.name, "nrows": sh.nrows, "ncols": sh.ncols, "cells": cells,
                       "merged": [list(m) for m in sh.merged_cells],
                       "colwidths": {str(k): v.width for k, v in sh.colinfo_map.items()},
                       "rowheights": {str(k): v.height for k, v in sh.rowinfo_map.items()}})
    print(json.dumps({"streams": streams, "size": size, "user": book.user_name,
                      "sheets": sheets}))


if __name__ == "__main__":
    main(sys.argv[1])
