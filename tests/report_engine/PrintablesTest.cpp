// What printable controls draw: texts and where they come from, label and
// memo objects with their exact boxes, origins and codes, line breaking,
// images cut to their box, and site decorations.
#include "ReportTestSupport.h"

#include "../format/FormatTestSupport.h"
#include "EngineMessages.h"
#include "FormatDate.h"
#include "RLReportRun.h"
#include "TextMetrics.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

using Kind = TMemTestDataSet::Kind;

// A band on a report, and the surface its controls draw into.
struct Bench {
    Bench() {
        report.SetShowProgress(false);
        band = new TRLBand(&report);
    }
    TRLReport report;
    TRLBand* band;
    TRLGraphicSurface surface;

    std::vector<const TRLGraphicObject*> Objects() const {
        std::vector<const TRLGraphicObject*> out;
        for (int i = 0; i < surface.ObjectCount(); ++i) {
            out.push_back(surface.Objects(i));
        }
        return out;
    }
    const TRLTextObject& Text(int i = 0) const {
        int seen = 0;
        for (int k = 0; k < surface.ObjectCount(); ++k) {
            if (auto* t = dynamic_cast<const TRLTextObject*>(surface.Objects(k))) {
                if (seen++ == i) {
                    return *t;
                }
            }
        }
        throw std::runtime_error("no such text object");
    }
};

TEST(Label, TextObjectBoxOriginCodesAndFlags) {
    const TRLFont font;
    const int half = TextMetrics::HalfSpace(font);
    const int w = TextMetrics::TextWidth(font, QStringLiteral("Total "));
    const int h = TextMetrics::TextHeight(font);
    ASSERT_EQ(half, 2); // a space of Arial 10 (13 px) is 4 px wide
    ASSERT_EQ(h, 15);
    struct Case {
        TRLTextAlignment alignment;
        TRLTextLayout layout;
        int x, y;
        TRLMetaTextAlignment a;
        TRLMetaTextLayout l;
    };
    // The label sits at (10, 5), 100 x 25: client 10..110 x 5..30.
    const Case cases[] = {
        {taLeftJustify, tlTop, half + 10, 5, TRLMetaTextAlignment::mtaLeft,
         TRLMetaTextLayout::mtlTop},
        {taRightJustify, tlBottom, half + 110 - w, 30 - h, TRLMetaTextAlignment::mtaRight,
         TRLMetaTextLayout::mtlBottom},
        {taCenter, tlCenter, half + (120 - w) / 2, (35 - h) / 2, TRLMetaTextAlignment::mtaCenter,
         TRLMetaTextLayout::mtlCenter},
        {taJustify, tlJustify, half + 10, 5, TRLMetaTextAlignment::mtaJustify,
         TRLMetaTextLayout::mtlTop},
    };
    for (const Case& c : cases) {
        for (bool autoSize : {false, true}) {
            SCOPED_TRACE(int(c.alignment) * 10 + autoSize);
            Bench b;
            auto* label = AddLabel(b.band, QStringLiteral("Total"));
            label->SetBounds(10, 5, 100, 25);
            label->SetAutoSize(autoSize);
            label->SetAlignment(c.alignment);
            label->SetLayout(c.layout);
            RLPrintControl(label, b.surface);
            ASSERT_EQ(b.surface.ObjectCount(), 1);
            const TRLTextObject& t = b.Text();
            EXPECT_EQ(t.Text, QStringLiteral("Total"));
            EXPECT_EQ(t.Alignment, c.a);
            EXPECT_EQ(t.Layout, c.l);
            EXPECT_EQ(t.Brush.Style, TRLMetaBrushStyle::mbsClear);
            EXPECT_EQ(t.TextFlags, autoSize ? 5 : 4);
            if (!autoSize) {
                EXPECT_EQ(t.BoundsRect, (TRect{10, 5, 110, 30}));
                EXPECT_EQ(t.Origin, (TPoint{c.x, c.y}));
            } else {
                // The label shrank to its text and a space, keeping the edge
                // its alignment fixes, and the text fills it.
                EXPECT_EQ(t.BoundsRect.Width(), w + (c.alignment == taCenter ? w % 2 : 0));
                EXPECT_EQ(t.BoundsRect.Height(), h + (c.layout == tlCenter ? h % 2 : 0));
                if (c.alignment == taRightJustify) {
                    EXPECT_EQ(t.BoundsRect.Right, 110);
                }
            }
        }
    }
}

TEST(Label, AutoSizeWidthIsTheCaptionAndOneSpace) {
    Bench b;
    TRLFont bold;
    bold.Size = 9;
    bold.Style = fsBold;
    auto* label = AddLabel(b.band, QStringLiteral("Total Geral"));
    label->SetFont(bold);
    label->SetWidth(200);
    RLPrintControl(label, b.surface);
    EXPECT_EQ(label->Width(), TextMetrics::TextWidth(bold, QStringLiteral("Total Geral ")));
    EXPECT_EQ(label->Width(), 65); // bold 12 px advances, each rounded
    EXPECT_EQ(label->Height(), TextMetrics::TextHeight(bold));
}

TEST(Label, BackgroundAndBordersComeFirstAsRectangles) {
    Bench b;
    auto* label = AddLabel(b.band, QStringLiteral("X"));
    label->SetBounds(10, 10, 100, 30);
    label->SetAutoSize(false);
    label->SetColor(clSilver); // chosen at run time: no longer transparent
    label->Borders()->SetSides(sdAll);
    label->Borders()->SetWidth(2);
    label->Borders()->SetColor(clRed);
    RLPrintControl(label, b.surface);
    const auto objects = b.Objects();
    ASSERT_EQ(objects.size(), 6u);
    EXPECT_EQ(objects[0]->Kind(), TRLGraphicObjectKind::FillRect);
    EXPECT_EQ(objects[0]->BoundsRect, (TRect{10, 10, 110, 40}));
    EXPECT_EQ(static_cast<const TRLFillRectObject*>(objects[0])->Brush.Color, clSilver);
    const TRect sides[] = {
        {10, 10, 12, 40}, {10, 10, 110, 12}, {108, 10, 110, 40}, {10, 38, 110, 40}};
    for (int i = 0; i < 4; ++i) {
        const auto* r = dynamic_cast<const TRLRectangleObject*>(objects[i + 1]);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->BoundsRect, sides[i]);
        EXPECT_EQ(r->Pen.Width, 1);
        EXPECT_EQ(r->Pen.Color, clRed);
        EXPECT_EQ(r->Brush, (TRLMetaBrush{clRed, TRLMetaBrushStyle::mbsSolid}));
    }
    EXPECT_EQ(b.Text().BoundsRect, (TRect{12, 12, 108, 38}));
    // All objects of one control share one draw group.
    EXPECT_EQ(objects[0]->DrawGroup, objects[5]->DrawGroup);

    Bench none;
    auto* plain = AddLabel(none.band, QStringLiteral("X"));
    plain->Borders()->SetSides(sdAll);
    plain->Borders()->SetWidth(0);
    RLPrintControl(plain, none.surface);
    EXPECT_EQ(none.surface.ObjectCount(), 1); // no fill, no zero-width borders
}

TEST(Label, RightAlignedFixedTextLosesItsLeftPart) {
    Bench b;
    auto* label = AddLabel(b.band, QStringLiteral("1.234.567.890,00 e mais um pouco"));
    label->SetAutoSize(false);
    label->SetAlignment(taRightJustify);
    label->SetBounds(100, 0, 60, 17);
    RLPrintControl(label, b.surface);
    const TRLTextObject& t = b.Text();
    EXPECT_EQ(t.BoundsRect, (TRect{100, 0, 160, 17}));
    EXPECT_EQ(t.TextFlags, 4); // clipped to the box
    EXPECT_LT(t.Origin.X, 100);
    EXPECT_EQ(t.Origin.X, 2 + 160 - TextMetrics::TextWidth(TRLFont{}, label->Caption() + " "));
}

TEST(LineBreaking, WordsSpacesTabsAndReturns) {
    const TRLFont font;
    const int space = TextMetrics::TextWidth(font, QStringLiteral(" "));
    const int aaa = TextMetrics::TextWidth(font, QStringLiteral("aaa"));
    struct Case {
        const char* text;
        int width;
        QStringList lines;
        std::vector<bool> wrapped;
    };
    const Case cases[] = {
        {"", 100, {}, {}},
        {"aaa bbb", 1000, {"aaa bbb"}, {false}},
        // The second word does not fit: the line ends after the first word.
        {"aaa bbb", aaa + space, {"aaa", "bbb"}, {true, false}},
        // A word wider than the line is kept whole on a line of its own.
        {"aaaaaaaaaa b", aaa, {"aaaaaaaaaa", "b"}, {true, false}},
        // Spaces at the break are dropped, leading spaces are kept.
        {"  aaa     bbb", aaa + 4 * space, {"  aaa", "bbb"}, {true, false}},
        // A tab counts eight spaces.
        {"aaa\tbbb", aaa + 7 * space, {"aaa", "bbb"}, {true, false}},
        {"aaa\tbbb", 10000, {"aaa\tbbb"}, {false}},
        // CR ends a line and swallows one LF; a lone LF is just a character.
        {"aaa\r\nbbb\rccc\n\nddd", 1000, {"aaa", "bbb", "ccc\n\nddd"}, {false, false, false}},
        {"aaa\r\n\r\nbbb\r\n", 1000, {"aaa", "", "bbb"}, {false, false, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto lines = RLBreakLines(font, QString::fromLatin1(c.text), c.width);
        QStringList texts;
        std::vector<bool> wrapped;
        for (const TRLTextLine& line : lines) {
            texts << line.Text;
            wrapped.push_back(line.Wrapped);
        }
        EXPECT_EQ(texts, c.lines);
        EXPECT_EQ(wrapped, c.wrapped);
    }
}

TEST(Memo, TwoLinesOfWhichTheSecondIsTooWideMakeThree) {
    Bench b;
    auto* memo = new TRLMemo(b.band);
    memo->SetBounds(5, 10, 120, 15);
    memo->Lines() << QStringLiteral("Primeira linha")
                  << QStringLiteral("segunda linha bem mais larga que o memo");
    RLPrintControl(memo, b.surface);
    // Sized to the lines: four of them at 120 px ("segunda linha bem" /
    // "mais larga que o" / "memo"), 15 px each.
    const auto lines = RLBreakLines(TRLFont{}, memo->Caption(), 120);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(memo->Height(), 4 * 15);
    EXPECT_EQ(b.surface.ObjectCount(), 4);
    for (int i = 0; i < 4; ++i) {
        const TRLTextObject& t = b.Text(i);
        EXPECT_EQ(t.Text, lines[i].Text);
        EXPECT_EQ(t.BoundsRect, (TRect{5, 10 + 15 * i, 125, 25 + 15 * i}));
        EXPECT_EQ(t.Origin, (TPoint{5, 10 + 15 * i}));
        EXPECT_EQ(t.TextFlags, 5);
        EXPECT_EQ(t.Layout, TRLMetaTextLayout::mtlTop);
    }
    EXPECT_EQ(memo->Caption(), QStringLiteral("Primeira linha\r\nsegunda linha bem mais larga "
                                              "que o memo\r\n"));

    // Two lines, the second wider than the memo, print as three.
    Bench c;
    auto* wide = new TRLMemo(c.band);
    wide->SetBounds(0, 0, 200, 15);
    wide->Lines() << QStringLiteral("curta")
                  << QStringLiteral("uma linha que passa de duzentos pixels");
    RLPrintControl(wide, c.surface);
    EXPECT_EQ(c.surface.ObjectCount(), 3);
}

TEST(Memo, AlignmentJustifyAndClipping) {
    Bench b;
    auto* memo = new TRLMemo(b.band);
    memo->SetAutoSize(false);
    memo->SetBounds(0, 0, 80, 40); // room for the tops of three lines
    memo->SetAlignment(taRightJustify);
    memo->Lines() << QStringLiteral("um dois tres quatro cinco seis sete oito nove dez onze doze");
    RLPrintControl(memo, b.surface);
    const auto lines = RLBreakLines(TRLFont{}, memo->Caption(), 80);
    ASSERT_GT(lines.size(), 3u);
    ASSERT_EQ(b.surface.ObjectCount(), 3); // the third line starts at 30 < 40
    const TRLTextObject& first = b.Text(0);
    EXPECT_EQ(first.Alignment, TRLMetaTextAlignment::mtaRight);
    EXPECT_EQ(first.Origin.X, 80 - TextMetrics::TextWidth(TRLFont{}, lines[0].Text));

    Bench j;
    auto* justified = new TRLMemo(j.band);
    justified->SetBounds(0, 0, 120, 15);
    justified->SetAlignment(taJustify);
    justified->Lines() << QStringLiteral("um dois tres quatro cinco seis") << QStringLiteral("fim");
    RLPrintControl(justified, j.surface);
    const int n = j.surface.ObjectCount();
    ASSERT_GE(n, 3);
    // Only lines ended by wrapping are justified.
    EXPECT_EQ(j.Text(0).Alignment, TRLMetaTextAlignment::mtaJustify);
    EXPECT_EQ(j.Text(n - 2).Alignment, TRLMetaTextAlignment::mtaLeft);
    EXPECT_EQ(j.Text(n - 1).Alignment, TRLMetaTextAlignment::mtaLeft);
}

TEST(Memo, AutoSizeCountsLinesOfAAndBorders) {
    Bench b;
    auto* memo = new TRLMemo(b.band);
    memo->SetBounds(0, 0, 300, 89);
    RLPrintControl(memo, b.surface);
    EXPECT_EQ(memo->Height(), 15); // no line: the height of a space
    memo->Lines() << QStringLiteral("a") << QStringLiteral("b");
    memo->Borders()->SetDrawTop(true);
    memo->Borders()->SetDrawBottom(true);
    memo->Borders()->SetWidth(2);
    RLPrintControl(memo, b.surface);
    EXPECT_EQ(memo->Height(), 2 * 15 + 2 * 3);
    EXPECT_EQ(memo->Width(), 300);
}

TEST(Image, DrawnAtNaturalSizeAndCutToTheClientRectangle) {
    QImage picture(50, 40, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    picture.setPixel(0, 0, qRgb(255, 0, 0));
    struct Case {
        bool center;
        TRect box;
        QRgb corner;
    };
    const Case cases[] = {
        {false, {10, 10, 40, 30}, qRgb(255, 0, 0)},
        // Centred: the picture's middle shows, cut on every side.
        {true, {10, 10, 40, 30}, qRgb(0, 0, 255)},
    };
    for (const Case& c : cases) {
        Bench b;
        auto* image = new TRLImage(b.band);
        image->SetBounds(10, 10, 30, 20);
        image->SetPicture(picture);
        image->SetCenter(c.center);
        RLPrintControl(image, b.surface);
        ASSERT_EQ(b.surface.ObjectCount(), 1);
        const auto* drawn = dynamic_cast<const TRLImageObject*>(b.surface.Objects(0));
        ASSERT_NE(drawn, nullptr);
        EXPECT_EQ(drawn->BoundsRect, c.box);
        const QImage stored = drawn->Picture();
        EXPECT_EQ(stored.size(), QSize(30, 20));
        EXPECT_EQ(stored.pixel(0, 0), c.corner);
    }
    Bench empty;
    RLPrintControl(new TRLImage(empty.band), empty.surface);
    EXPECT_EQ(empty.surface.ObjectCount(), 0);
}

TEST(Decorations, VerticalGradientStripsRoundHalvesToEven) {
    Bench b;
    b.band->SetColor(clBlack);
    b.band->Degrade().Direction = ddVertical;
    b.band->Degrade().OppositeColor = TRLColor{5, 5, 5};
    RLDrawSiteDecorations(b.band, b.surface, {0, 0, 100, 2});
    ASSERT_EQ(b.surface.ObjectCount(), 2);
    // Strip 1: t = 1/2, 0 + round(2.5) - round(0) = 2 (not 3).
    const auto* second = static_cast<const TRLFillRectObject*>(b.surface.Objects(1));
    EXPECT_EQ(second->Brush.Color, (TRLColor{2, 2, 2}));
    EXPECT_EQ(second->BoundsRect, (TRect{0, 1, 100, 2}));

    // White to silver with granularity 1: one strip per pixel row, never
    // reaching silver.
    Bench w;
    w.band->SetColor(clWhite);
    w.band->Degrade().Direction = ddVertical;
    w.band->Degrade().OppositeColor = clSilver;
    RLDrawSiteDecorations(w.band, w.surface, {0, 10, 50, 14});
    std::vector<int> reds;
    for (int i = 0; i < w.surface.ObjectCount(); ++i) {
        const auto* strip = static_cast<const TRLFillRectObject*>(w.surface.Objects(i));
        EXPECT_EQ(strip->BoundsRect, (TRect{0, 10 + i, 50, 11 + i}));
        reds.push_back(strip->Brush.Color.Red);
    }
    EXPECT_EQ(reds, (std::vector<int>{255, 239, 223, 208}));

    // Horizontal strips of 3 px, the last one cut at the edge.
    Bench h;
    h.band->SetColor(clWhite);
    h.band->Degrade().Direction = ddHorizontal;
    h.band->Degrade().OppositeColor = clBlack;
    h.band->Degrade().Granularity = 3;
    RLDrawSiteDecorations(h.band, h.surface, {0, 0, 7, 5});
    ASSERT_EQ(h.surface.ObjectCount(), 3);
    EXPECT_EQ(h.surface.Objects(2)->BoundsRect, (TRect{6, 0, 7, 5}));
}

TEST(Decorations, FillUnlessTransparentAndBordersInsideTheMargins) {
    Bench b;
    b.band->SetColor(clSilver);
    b.band->Degrade().Direction = ddVertical;
    b.band->Degrade().OppositeColor = clSilver; // same colour: a plain fill
    b.band->Borders()->SetDrawBottom(true);
    b.band->Margins().SetAll(1); // 4 px
    RLDrawSiteDecorations(b.band, b.surface, {0, 0, 100, 50});
    ASSERT_EQ(b.surface.ObjectCount(), 2);
    EXPECT_EQ(b.surface.Objects(0)->Kind(), TRLGraphicObjectKind::FillRect);
    EXPECT_EQ(b.surface.Objects(0)->BoundsRect, (TRect{0, 0, 100, 50}));
    EXPECT_EQ(b.surface.Objects(1)->BoundsRect, (TRect{4, 45, 96, 46}));

    Bench clear;
    EXPECT_FALSE(RLHasDecorations(clear.band));
    RLDrawSiteDecorations(clear.band, clear.surface, {0, 0, 100, 50});
    EXPECT_EQ(clear.surface.ObjectCount(), 0);
}

TEST(DesignTexts, NameWhatItShowsOrFriendlyName) {
    TRLReport report;
    TRLBand band(&report);
    TRLSystemInfo info(&band);
    info.SetInfo(itPageNumber);
    info.SetName(QStringLiteral("RLSystemInfo1"));
    TRLDBText text(&band);
    text.SetName(QStringLiteral("RLDBText1"));
    TRLLabel label(&band);
    label.SetName(QStringLiteral("RLLabel1"));
    TRLDBMemo memo(&band);
    memo.SetDataField(QStringLiteral("HIST"));
    EXPECT_EQ(RLDesignText(&info), QStringLiteral("(PageNumber)"));
    EXPECT_EQ(RLDesignText(&text), QStringLiteral("RLDBText1"));
    text.SetDataField(QStringLiteral("VALOR"));
    EXPECT_EQ(RLDesignText(&text), QStringLiteral("(VALOR)"));
    EXPECT_EQ(RLDesignText(&label), QStringLiteral("RLLabel1"));
    label.SetCaption(QStringLiteral("Saldo"));
    EXPECT_EQ(RLDesignText(&label), QStringLiteral("Saldo"));
    EXPECT_EQ(RLDesignText(&memo), QStringLiteral("(HIST)"));
    info.SetFriendlyName(QStringLiteral("Pagina"));
    EXPECT_EQ(RLDesignText(&info), QStringLiteral("Pagina"));
    // Outside generation a data control shows its design text.
    EXPECT_EQ(RLControlText(&text), QStringLiteral("(VALOR)"));
}

// Texts taken while a one-record report generates: each control prints in a
// detail band of its own row, so PageTexts lists them in order.
class ControlTexts : public ::testing::Test {
protected:
    ControlTexts()
        : settings(BrazilianSettings()), clock(DateTime::EncodeDate(2024, 5, 10) + 0.6875),
          data({{QStringLiteral("VALOR"), Kind::Currency, QStringLiteral("#,##0.00")},
                {QStringLiteral("DATA"), Kind::Date, QStringLiteral("dd/mm/yyyy")},
                {QStringLiteral("HIST"), Kind::Text, {}}}) {
        data.AddRow({qint64(12345000), DateTime::EncodeDate(2024, 2, 29), QStringLiteral("x")});
        report.SetShowProgress(false);
        report.SetDataSource(&data);
        report.BeginLoad();
        detail = AddBand(&report, btDetail, 400);
        summary = AddBand(&report, btSummary, 400);
    }
    template <class T> T* Add(TRLBand* band) {
        auto* c = new T(band);
        c->SetBounds(0, 17 * int(band->Controls().size() - 1), 300, 17);
        return c;
    }
    TRLSystemInfo* Info(TRLInfoType info, const QString& text) {
        auto* c = Add<TRLSystemInfo>(detail);
        c->SetInfo(info);
        c->SetText(text);
        return c;
    }
    TRLDBText* Field(TRLBand* band, const QString& field, const QString& text) {
        auto* c = Add<TRLDBText>(band);
        c->SetDataSource(&data);
        c->SetDataField(field);
        c->SetDisplayMask(QStringLiteral("#########"));
        c->SetText(text);
        return c;
    }
    QStringList Generate() {
        report.EndLoad();
        EXPECT_TRUE(report.Prepare());
        QStringList out;
        for (const PlacedText& t : PageTexts(*report.Pages())) {
            out << t.Text;
        }
        return out;
    }

    ScopedSettings settings;
    ScopedClock clock;
    TMemTestDataSet data;
    TRLReport report;
    TRLBand* detail;
    TRLBand* summary;
    MessageRecorder messages;
};

TEST_F(ControlTexts, SystemInfoValuesPiecesAndReplacements) {
    report.SetTitle(QStringLiteral("Balancete"));
    Info(itPageNumber, QStringLiteral("P\u00e1g.:"));
    Info(itPageNumber, QString());
    Info(itPagePreview, QStringLiteral("P\u00e1gina # de #"));
    Info(itPagePreview, QString());
    Info(itFullDate, QStringLiteral("Emitido em:"));
    Info(itDate, QString());
    Info(itHour, QString());
    Info(itNow, QString());
    Info(itTitle, QStringLiteral("Relat\u00f3rio: # (fim)"));
    Info(itRecNo, QStringLiteral("#/"));
    Info(itJunction, QString());
    Info(itJunction, QStringLiteral("x|Segue;Acabou"));
    Info(itMend, QString());
    Info(itLastPageNumber, QStringLiteral("de "));
    const QStringList expected = {
        QStringLiteral("P\u00e1g.:1"),
        QStringLiteral("1"),
        QStringLiteral("P\u00e1gina 1 de {LastPageNumber}"),
        QStringLiteral("1{LastPageNumber}"),
        QStringLiteral("Emitido em:sexta-feira, 10 de maio de 2024"),
        QStringLiteral("10/05/2024"),
        QStringLiteral("16:30:00"),
        QStringLiteral("10/05/2024 16:30:00"),
        QStringLiteral("Relat\u00f3rio: Balancete (fim)"),
        QStringLiteral("1/"),
        Messages().Junction,
        QStringLiteral("xSegue"),
        QString(),
        QStringLiteral("de {LastPageNumber}"),
    };
    EXPECT_EQ(Generate(), expected);
}

TEST_F(ControlTexts, AClearMarkInTheValuePrintsNothing) {
    report.SetTitle(QStringLiteral("nada ^CLEAR"));
    Info(itTitle, QStringLiteral("T\u00edtulo: "));
    EXPECT_EQ(Generate(), QStringList{QString()});
}

TEST_F(ControlTexts, DataTextsUseTheDisplayTextAndText) {
    Field(detail, QStringLiteral("VALOR"), QString());
    Field(detail, QStringLiteral("VALOR"), QStringLiteral("R$ # total"));
    Field(detail, QStringLiteral("DATA"), QStringLiteral("Em "));
    auto* memo = Add<TRLDBMemo>(detail);
    memo->SetDataSource(&data);
    memo->SetDataField(QStringLiteral("VALOR"));
    // After the last record the data texts are empty (Text alone remains).
    Field(summary, QStringLiteral("VALOR"), QString());
    Field(summary, QStringLiteral("DATA"), QStringLiteral("Em "));
    const QStringList expected = {
        QStringLiteral("1.234,50"),
        QStringLiteral("R$ 1.234,50 total"),
        QStringLiteral("Em 29/02/2024"),
        data.FindField(QStringLiteral("VALOR"))->AsString(), // the value, not its display
        QString(),
        QStringLiteral("Em "),
    };
    EXPECT_EQ(Generate(), expected);
}

TEST_F(ControlTexts, HandlersSeeAndChangeTheText) {
    auto* text = Field(detail, QStringLiteral("HIST"), QString());
    QString seen;
    text->BeforePrint = [&seen](TRLCustomControl*, QString& t, bool&) {
        seen = t;
        t = QStringLiteral("changed");
    };
    auto* hidden = Add<TRLLabel>(detail);
    hidden->SetCaption(QStringLiteral("never"));
    hidden->BeforePrint = [](TRLCustomControl*, QString&, bool& printIt) { printIt = false; };
    report.OnFilterText = [](TRLCustomControl*, QString& t, bool&) { t += QStringLiteral("!"); };
    EXPECT_EQ(Generate(), QStringList{QStringLiteral("changed!")});
    EXPECT_EQ(seen, QStringLiteral("x"));
    EXPECT_EQ(text->Caption(), QStringLiteral("changed!"));
}

TEST_F(ControlTexts, ARecordKeptBlankPrintsEmptyTexts) {
    Field(detail, QStringLiteral("HIST"), QString());
    auto* label = Add<TRLLabel>(detail);
    label->SetCaption(QStringLiteral("L"));
    int calls = 0;
    report.OnDataRecord = [&calls](TRLCustomControl*, int, int, bool&, TRLRecordAction& action) {
        action = ++calls == 1 ? raBlankAndRetain : raUseIt;
    };
    EXPECT_EQ(Generate(),
              (QStringList{QString(), QString(), QStringLiteral("x"), QStringLiteral("L")}));
}

} // namespace
