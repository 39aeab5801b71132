#include "ReportParts.h"

#include "IBSQL.h"

#include <QPainter>
#include <QPainterPath>

namespace ReportParts {

QString CreditLine() {
    return QStringLiteral("QuorvaOnline - Acesso Remoto aos lançamentos em tempo real");
}

namespace {

// A navy tile with a white block of flats under a gold roof: the firm keeps
// buildings. Drawn from shapes only, so it looks the same on every machine.
QImage DrawLogo() {
    QImage image(73, 65, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QColor navy(0x1f, 0x3a, 0x68);
    const QColor gold(0xe0, 0xa8, 0x2e);
    QPainterPath tile;
    tile.addRoundedRect(QRectF(1, 1, 71, 63), 9, 9);
    p.fillPath(tile, navy);
    // Roof.
    QPolygonF roof;
    roof << QPointF(12, 27) << QPointF(36.5, 8) << QPointF(61, 27);
    p.setPen(QPen(gold, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(roof);
    // Building with two columns of windows and a door.
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(19, 26, 35, 31));
    p.setBrush(navy);
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            if (row == 2 && col == 1) {
                continue;
            }
            p.drawRect(QRectF(23 + col * 10, 30 + row * 8, 6, 5));
        }
    }
    p.setBrush(gold);
    p.drawRect(QRectF(33, 47, 7, 10));
    return image;
}

} // namespace

const QImage& FirmLogo() {
    static const QImage logo = DrawLogo();
    return logo;
}

QString CondName(TIBSQL& sql, int cond) {
    sql.Close();
    sql.SetSQL(QStringLiteral("select nome from cond where cond = ") + QString::number(cond) +
               QLatin1Char(' '));
    sql.ExecQuery();
    const QString name = sql.Fields(0).AsString();
    sql.Close();
    return name;
}

QString TCondNameOnce::Get(TIBSQL& sql, int cond) {
    if (!known_ || cond != cond_) {
        name_ = CondName(sql, cond);
        cond_ = cond;
        known_ = true;
    }
    return name_;
}

QStringList TextLines(const QString& text) {
    QStringList lines;
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar ch = text.at(i);
        if (ch != u'\r' && ch != u'\n') {
            continue;
        }
        lines << text.mid(start, i - start);
        if (ch == u'\r' && i + 1 < n && text.at(i + 1) == u'\n') {
            ++i;
        }
        start = i + 1;
    }
    if (start < n) {
        lines << text.mid(start);
    }
    return lines;
}

TRLFont ArialFont(int pixels, bool bold) {
    TRLFont font;
    font.Name = QStringLiteral("Arial");
    // The size in points that gives this character height at 96 per inch.
    font.Size = (pixels * 72 + 48) / 96;
    font.Style = bold ? fsBold : 0;
    font.Color = clBlack;
    return font;
}

TRLBand* NewBand(TRLCustomControl* parent, const QString& name, TRLBandType type, int top,
                 int height) {
    auto* band = new TRLBand(parent);
    band->SetName(name);
    band->SetBandType(type);
    band->SetBounds(0, top, band->Width(), height);
    return band;
}

TRLLabel* NewLabel(TRLCustomControl* band, const QString& name, const QString& caption, int left,
                   int top, int width) {
    auto* label = new TRLLabel(band);
    label->SetName(name);
    label->SetCaption(caption);
    label->SetBounds(left, top, width > 0 ? width : label->Width(), label->Height());
    return label;
}

TRLDBText* NewDBText(TRLCustomControl* band, const QString& name, TDataSet* data,
                     const QString& field, int left, int top, int width) {
    auto* text = new TRLDBText(band);
    text->SetName(name);
    text->SetDataSource(data);
    text->SetDataField(field);
    text->SetBounds(left, top, width, text->Height());
    return text;
}

TRLImage* NewLogo(TRLCustomControl* band, int left, int top) {
    auto* logo = new TRLImage(band);
    logo->SetName(QStringLiteral("RLImage1"));
    logo->SetBounds(left, top, 73, 65);
    logo->SetStretch(true);
    logo->SetPicture(FirmLogo());
    return logo;
}

TRLLabel* NewFirmName(TRLCustomControl* band, int left, int top) {
    TRLLabel* firm = NewLabel(band, QStringLiteral("RLLabel1"),
                              QStringLiteral("QUORVA Administração de Imóveis"), left, top);
    firm->SetFont(ArialFont(16, true));
    return firm;
}

TRLSystemInfo* NewPageNumber(TRLCustomControl* band, int left, int top) {
    auto* page = new TRLSystemInfo(band);
    page->SetName(QStringLiteral("RLSystemInfo1"));
    page->SetInfo(itPageNumber);
    page->SetText(QStringLiteral("Pág.:"));
    page->SetAlignment(taRightJustify);
    page->SetFont(ArialFont(12));
    page->SetBounds(left, top, 113, 15);
    return page;
}

TRLSystemInfo* NewIssueDate(TRLCustomControl* band, int left, int top) {
    auto* date = new TRLSystemInfo(band);
    date->SetName(QStringLiteral("RLSystemInfo2"));
    date->SetInfo(itFullDate);
    date->SetText(QStringLiteral("Emitido em:"));
    date->SetAlignment(taRightJustify);
    date->SetFont(ArialFont(11));
    date->SetBounds(left, top, 102, 14);
    return date;
}

THeaderParts NewPageHeader(TRLCustomControl* report, const QString& title, TPoint titleAt,
                           int pageNumberLeft, int dateLeft) {
    THeaderParts h{};
    h.Band = NewBand(report, QStringLiteral("RLBand1"), btHeader, 0, 86);
    h.Logo = NewLogo(h.Band, 5, 5);
    h.Firm = NewFirmName(h.Band, 84, 17);
    h.Title = NewLabel(h.Band, QStringLiteral("RLLabel4"), title, titleAt.X, titleAt.Y);
    h.Title->SetFont(ArialFont(13, true));
    h.Cond = NewLabel(h.Band, QStringLiteral("RLLabel2"), QStringLiteral("Condomínio:"), 84, 66);
    h.Cond->SetFont(ArialFont(13, true));
    h.PageNumber = NewPageNumber(h.Band, pageNumberLeft, 6);
    h.Date = NewIssueDate(h.Band, dateLeft, 67);
    return h;
}

TRLLabel* NewCreditFooter(TRLCustomControl* report, const QString& bandName, int top) {
    TRLBand* band = NewBand(report, bandName, btFooter, top, 17);
    band->Borders()->SetSides(sdCustom);
    band->Borders()->SetDrawTop(true);
    TRLLabel* credit = NewLabel(band, QStringLiteral("RLLabel40"), CreditLine(), 0, 1);
    credit->SetFont(ArialFont(9));
    credit->SetTransparent(false);
    credit->SetColor(clWhite);
    // Sized from its right edge, so the whole line stays on the page.
    credit->SetAlignment(taRightJustify);
    credit->SetAlign(faRightTop);
    return credit;
}

} // namespace ReportParts
