"""The benchmark page drawn with ReportLab's canvas: the peer of bench_pdf.

Usage: pdf_reportlab.py PAGES OUTPUT. Prints the milliseconds from the first
call to the file written (the interpreter's start and imports excluded).
"""
import sys
import time

from reportlab.lib.utils import ImageReader
from reportlab.pdfgen import canvas
from PIL import Image


def pt(u):
    return u * 0.75


def y(u):
    return (1123 - u) * 0.75


def frame(c, l, t, r, b):
    c.setLineWidth(0.75)
    c.setStrokeColorRGB(0, 0, 0)
    c.setFillColorRGB(0.9, 0.9, 0.9)
    c.rect(pt(l), y(b), pt(r - l), pt(b - t), stroke=1, fill=1)


def main():
    pages, output = int(sys.argv[1]), sys.argv[2]
    start = time.perf_counter()
    pixels = bytearray()
    for i in range(64 * 32):
        pixels += bytes(((i * 7) & 255, (i // 64 * 8) & 255, 160))
    logo = ImageReader(Image.frombytes("RGB", (64, 32), bytes(pixels)))
    c = canvas.Canvas(output, pagesize=(595.5, 842.25), pageCompression=0)
    for p in range(1, pages + 1):
        frame(c, 38, 30, 756, 80)
        frame(c, 38, 92, 756, 94)
        frame(c, 38, 1060, 756, 1090)
        c.drawImage(logo, pt(40), y(72), pt(64), pt(32))
        c.setFillColorRGB(0, 0, 0)
        c.setFont("Helvetica-Bold", 12)
        c.drawString(pt(120), y(56), "Balancete Detalhado por Conta")
        c.setFont("Helvetica", 9)
        c.drawString(pt(120), y(74), "Condomínio Edifício São João")
        c.drawRightString(pt(750), y(74), "Página %d de %d" % (p, pages))
        for r in range(19):
            bottom = 100 + r * 22 + 18
            c.drawString(pt(40), y(bottom), "%02d/03/2015" % (r % 28 + 1))
            c.drawString(pt(130), y(bottom),
                         "Lançamento nº %d – manutenção e água" % (p * 100 + r))
            c.drawRightString(pt(750), y(bottom),
                              "%d.%03d,%02d" % (r + 1, (p * 37 + r) % 1000, r * 3 % 100))
        c.showPage()
    c.save()
    print("%.3f" % ((time.perf_counter() - start) * 1000))


if __name__ == "__main__":
    main()
