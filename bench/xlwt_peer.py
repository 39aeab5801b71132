"""The peer side of bench_xls: xlwt writes the same workbook; prints the median
wall and CPU seconds."""
import statistics
import sys
import time

import xlwt


def texts(sheet):
    for row in range(20):
        yield row, 0, "Unidade %d - Bloco %s" % (sheet * 20 + row, "ABC"[row % 3])
        yield row, 1, "%02d/%02d/2015" % (row % 28 + 1, sheet % 12 + 1)
        yield row, 2, "%d.%03d,%02d" % (row + 1, sheet * 7 % 1000, row * 3 % 100)


def write(path, sheets):
    book = xlwt.Workbook(encoding="cp1252")
    for s in range(sheets):
        sheet = book.add_sheet("P\u00e1gina%d" % (s + 1))
        for row, col, text in texts(s):
            sheet.write(row, col, text)
    book.save(path)


def main():
    path, sheets, repeats = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    if sheets == 0:  # the process baseline: loaded, nothing written
        print(0, 0)
        return
    wall, cpu = [], []
    for _ in range(repeats):
        start, start_cpu = time.perf_counter(), time.process_time()
        write(path, sheets)
        wall.append(time.perf_counter() - start)
        cpu.append(time.process_time() - start_cpu)
    print(statistics.median(wall), statistics.median(cpu))


if __name__ == "__main__":
    main()
