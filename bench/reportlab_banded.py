"""The peer of bench_generation: the same banded report laid out by
ReportLab's platypus, from the same rows.

A4 portrait, 10 mm margins; a page header with the title, the page number
and the emission date; a column header on every page; two nested groups
(condominium, then account) each with a header row and a total row; detail
rows of five columns; a footer with "Pagina n de N" (two passes).

    /usr/bin/python3 reportlab_banded.py ROWS ROWS_PER_ACCOUNT ACCOUNTS_PER_COND OUT.pdf

Prints "seconds pages" for the build alone (interpreter start-up excluded).
"""
import sys
import time

from reportlab.lib.pagesizes import A4
from reportlab.lib.units import mm
from reportlab.pdfgen import canvas
from reportlab.platypus import SimpleDocTemplate, Table, TableStyle

ROW_HEIGHT = 16 * 0.75  # pixels at 96 per inch to points
COLUMNS = [60, 240, 90, 110, 110]
COL_WIDTHS = [w * 0.75 for w in COLUMNS]


def rows(count, per_account, per_cond):
    for i in range(count):
        account = i // per_account
        cond = account // per_cond
        yield (
            "Condominio %d" % (cond + 1),
            "%d.%02d Conta %d" % (1 + account % 3, account % 100, account),
            "%02d/%02d/2015" % (1 + i % 28, 1 + i % 12),
            "Lancamento %d do historico da conta" % i,
            "DOC-%06d" % i,
            (i * 7919) % 1000000,
            (i * 104729) % 500000,
        )


def money(v):
    s = "%d,%02d" % (v // 100, v % 100)
    return s


class NumberedCanvas(canvas.Canvas):
    """Keeps every page's drawing until the end, to write "n de N"."""

    def __init__(self, *args, **kwargs):
        canvas.Canvas.__init__(self, *args, **kwargs)
        self._saved = []

    def showPage(self):
        self._saved.append(dict(self.__dict__))
        self._startPage()

    def save(self):
        total = len(self._saved)
        for state in self._saved:
            self.__dict__.update(state)
            self.setFont("Helvetica", 8)
            self.drawCentredString(A4[0] / 2, 10 * mm + 4,
                                   "Pagina %d de %d" % (self._pageNumber, total))
            canvas.Canvas.showPage(self)
        canvas.Canvas.save(self)


def page_frame(c, doc):
    c.saveState()
    top = A4[1] - 10 * mm
    c.setFont("Helvetica-Bold", 12)
    c.drawString(10 * mm, top - 14, "Balancete Detalhado por Conta")
    c.setFont("Helvetica", 10)
    c.drawRightString(A4[0] - 10 * mm, top - 14, "Pag.:%d" % doc.page)
    c.setFont("Helvetica", 8)
    c.drawString(10 * mm, top - 28, "Emitido em:sabado, 14 de fevereiro de 2015")
    c.setFillGray(0.85)
    c.rect(10 * mm, top - 30 - 13.5, A4[0] - 20 * mm, 13.5, stroke=0, fill=1)
    c.setFillGray(0)
    c.setFont("Helvetica", 10)
    x = 10 * mm
    for title, w in zip(["Data", "Historico", "Documento", "Realizado", "Comprometido"],
                        COL_WIDTHS):
        c.drawString(x + 3, top - 30 - 11, title)
        x += w
    c.restoreState()


def build(count, per_account, per_cond, out):
    doc = SimpleDocTemplate(out, pagesize=A4, leftMargin=10 * mm, rightMargin=10 * mm,
                            topMargin=10 * mm + 44, bottomMargin=10 * mm + 12)
    detail_style = TableStyle([
        ("FONT", (0, 0), (-1, -1), "Helvetica", 10),
        ("ALIGN", (3, 0), (4, -1), "RIGHT"),
        ("TOPPADDING", (0, 0), (-1, -1), 0),
        ("BOTTOMPADDING", (0, 0), (-1, -1), 2),
    ])
    head_style = TableStyle([
        ("FONT", (0, 0), (-1, -1), "Helvetica-Bold", 10),
        ("LINEABOVE", (0, 0), (-1, 0), 1, (0, 0, 0)),
        ("ALIGN", (3, 0), (4, -1), "RIGHT"),
    ])
    story = []
    current_cond = current_account = None
    block = []
    totals = {"account": [0, 0], "cond": [0, 0]}

    def close_account():
        if block:
            story.append(Table(block, colWidths=COL_WIDTHS, rowHeights=ROW_HEIGHT,
                               style=detail_style))
            del block[:]
        t = totals["account"]
        story.append(Table([["", "Total da conta", "", money(t[0]), money(t[1])]],
                           colWidths=COL_WIDTHS, style=head_style))
        totals["account"] = [0, 0]

    def close_cond():
        t = totals["cond"]
        story.append(Table([["", "Total do condominio", "", money(t[0]), money(t[1])]],
                           colWidths=COL_WIDTHS, style=head_style))
        totals["cond"] = [0, 0]

    for cond, account, date, hist, docno, real, comp in rows(count, per_account, per_cond):
        if cond != current_cond or account != current_account:
            if current_account is not None:
                close_account()
            if cond != current_cond and current_cond is not None:
                close_cond()
            if cond != current_cond:
                story.append(Table([[cond]], colWidths=[sum(COL_WIDTHS)], style=head_style))
            story.append(Table([[account]], colWidths=[sum(COL_WIDTHS)], style=head_style))
            current_cond, current_account = cond, account
        block.append([date, hist, docno, money(real), money(comp)])
        for key in ("account", "cond"):
            totals[key][0] += real
            totals[key][1] += comp
    close_account()
    close_cond()
    doc.build(story, onFirstPage=page_frame, onLaterPages=page_frame,
              canvasmaker=NumberedCanvas)
    return doc.page


def main():
    count, per_account, per_cond = (int(a) for a in sys.argv[1:4])
    out = sys.argv[4]
    start = time.perf_counter()
    pages = build(count, per_account, per_cond, out)
    print("%.3f %d" % (time.perf_counter() - start, pages))


if __name__ == "__main__":
    main()
