// The report component model: defaults, borders, sizes, layout, failures.
#include "EngineMessages.h"
#include "RLReport.h"
#include "TextMetrics.h"

#include "DataSet.h"
#include "Exception.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

// A dataset with a fixed set of field names and no rows.
class NamesOnlyDataSet : public TDataSet {
public:
    explicit NamesOnlyDataSet(QStringList names) : names_(std::move(names)) {}
    bool Active() const override { return true; }
    void First() override {}
    void Next() override {}
    bool Eof() const override { return true; }
    int RecordCount() const override { return 0; }
    TField* FindField(const QString& name) const override {
        return names_.contains(name, Qt::CaseInsensitive) ? reinterpret_cast<TField*>(1) : nullptr;
    }

private:
    QStringList names_;
};

QString ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.Message();
    }
    return QStringLiteral("(no error)");
}

TEST(ReportDefaults, EachClassStartsWithItsDefaults) {
    // Sizes at creation, before a parent lays anything out.
    TRLBand band;
    TRLGroup group;
    TRLReport report;
    TRLBand host(&report);
    TRLLabel label(&host);
    TRLMemo memo(&host);
    TRLImage image(&host);
    TRLSystemInfo info(&host);
    struct Row {
        const char* name;
        TRLCustomControl* c;
        int width, height;
        TRLControlAlign align;
        bool autoSize;
        unsigned behavior;
    };
    const Row rows[] = {
        {"band", &band, 185, 16, faTop, false, 0},
        {"group", &group, 185, 64, faTop, false, 0},
        {"label", &label, 65, 17, faNone, true, 0},
        {"memo", &memo, 185, 89, faNone, true, beSiteExpander},
        {"image", &image, 105, 105, faNone, false, 0},
        {"info", &info, 65, 17, faNone, true, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(r.c->Width(), r.width);
        EXPECT_EQ(r.c->Height(), r.height);
        EXPECT_EQ(r.c->Align(), r.align);
        EXPECT_EQ(r.c->AutoSize(), r.autoSize);
        EXPECT_EQ(r.c->Behavior(), r.behavior);
        EXPECT_TRUE(r.c->Visible());
        EXPECT_TRUE(r.c->Transparent());
        EXPECT_TRUE(r.c->ParentColor());
        EXPECT_TRUE(r.c->ParentFont());
        EXPECT_EQ(r.c->Alignment(), taLeftJustify);
        EXPECT_EQ(r.c->Layout(), tlTop);
        EXPECT_EQ(r.c->Borders()->Sides(), sdNone);
        EXPECT_EQ(r.c->Borders()->Width(), 1);
    }
    EXPECT_EQ(band.BandType(), btDetail);
    EXPECT_TRUE(band.Computable());
    EXPECT_TRUE(band.IntegralHeight());
    EXPECT_EQ(band.CarbonCopies(), 1);
    EXPECT_EQ(band.GroupIndex(), 0);
    EXPECT_TRUE(group.Enabled());
    EXPECT_EQ(info.Info(), itDate);
    EXPECT_TRUE(memo.WordWrap());
    EXPECT_FALSE(memo.IntegralHeight());

    EXPECT_EQ(report.Width(), 794);
    EXPECT_EQ(report.Height(), 1123);
    EXPECT_EQ(report.Margins().LeftPixels(), 38);
    EXPECT_EQ(report.Margins().BottomMargin, 10.0);
    EXPECT_EQ(report.Font(), TRLFont{});
    EXPECT_EQ(report.Font().Name, QStringLiteral("Arial"));
    EXPECT_EQ(report.Font().Size, 10);
    EXPECT_FALSE(report.ParentFont());
    EXPECT_EQ(report.Color(), clWhite);
    EXPECT_FALSE(report.ParentColor());
    EXPECT_EQ(report.FirstPageNumber(), 1);
    EXPECT_TRUE(report.PrintEmpty());
    EXPECT_TRUE(report.ShowProgress());
    EXPECT_TRUE(report.ForcePrepare());
    EXPECT_EQ(report.PrintQuality(), pqFullFeature);
    EXPECT_EQ(report.PreviewOptions().WindowState, wsMaximized);
    EXPECT_EQ(report.PreviewOptions().Position, poScreenCenter);
    EXPECT_EQ(report.PageSetup().PaperSize(), fpA4);
    // Children inherit colour and font from the report.
    EXPECT_EQ(label.Font(), report.Font());
    EXPECT_EQ(label.Color(), clWhite);
}

TEST(Millimetres, RoundToPixelsHalvesToEven) {
    const std::pair<double, int> cases[] = {{10, 38},   {20, 76},    {3, 11},
                                            {210, 794}, {297, 1123}, {0, 0}};
    for (const auto& [mm, px] : cases) {
        EXPECT_EQ(MMToPixels(mm), px) << mm;
    }
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(2.51), 3);
}

TEST(Borders, SidesDrawAndFixedFlagsFollowEachOther) {
    TRLBand band;
    TRLBorders& b = *band.Borders();
    b.SetSides(sdAll);
    EXPECT_TRUE(b.DrawLeft() && b.DrawTop() && b.DrawRight() && b.DrawBottom());
    b.SetDrawLeft(true); // setting a flag already set keeps sdAll
    EXPECT_EQ(b.Sides(), sdAll);
    b.SetFixedTop(true);
    b.SetDrawTop(false); // clears its Fixed flag and makes the sides custom
    EXPECT_EQ(b.Sides(), sdCustom);
    EXPECT_FALSE(b.FixedTop());
    b.SetDrawTop(true); // all four again, yet still custom
    EXPECT_EQ(b.Sides(), sdCustom);
    b.SetSides(sdNone);
    EXPECT_FALSE(b.DrawLeft() || b.DrawTop() || b.DrawRight() || b.DrawBottom());
    b.SetFixedBottom(true); // fixing a side draws it
    EXPECT_TRUE(b.DrawBottom());
    EXPECT_EQ(b.Sides(), sdCustom);
    b.SetSides(sdNone);
    EXPECT_FALSE(b.FixedBottom());

    b.SetWidth(2);
    b.SetWidth(-1);
    EXPECT_EQ(b.Width(), 2) << "negative widths are ignored";
    b.SetWidth(0);
    EXPECT_EQ(b.Width(), 0);
}

TEST(Borders, FixedOnlyQualityDrawsOnlyFixedSides) {
    TRLReport report;
    TRLBand band(&report);
    TRLBorders& b = *band.Borders();
    b.SetDrawLeft(true);
    b.SetFixedRight(true);
    EXPECT_TRUE(b.CanDrawLeft());
    EXPECT_TRUE(b.CanDrawRight());
    EXPECT_FALSE(b.CanDrawTop());
    report.SetPrintQuality(pqFixedOnly);
    EXPECT_FALSE(b.CanDrawLeft());
    EXPECT_TRUE(b.CanDrawRight());
    EXPECT_EQ(b.LeftInset(), 0);
    EXPECT_EQ(b.RightInset(), 1);
}

TEST(PageSetup, PaperTableOrientationAndCustomSizes) {
    EXPECT_EQ(StandardPaperSizeCount, 140);
    EXPECT_STREQ(PaperInfo(fpA4).Name, "A4");
    EXPECT_EQ(PaperInfo(fpA5).Width, 148);
    EXPECT_EQ(PaperInfo(fpLetter).Height, 279.4);
    EXPECT_STREQ(PaperInfo(fpEng_Imperial).Name, "Imperial");
    for (int i = 0; i < StandardPaperSizeCount; ++i) {
        const TRLPaperInfo& p = PaperInfo(static_cast<TRLPaperSize>(i));
        EXPECT_GT(p.Width, 0) << p.Name;
        EXPECT_GT(p.Height, 0) << p.Name;
    }
    TRLReport report;
    report.PageSetup().SetPaperSize(fpA5);
    report.PageSetup().SetOrientation(poLandscape);
    EXPECT_EQ(report.Width(), 794);
    EXPECT_EQ(report.Height(), 559);
    report.PageSetup().SetPaperWidth(100); // only a custom size takes it
    EXPECT_EQ(report.PageSetup().PaperWidth(), 148);
    report.PageSetup().SetPaperSize(fpCustom);
    report.PageSetup().SetPaperWidth(100);
    report.PageSetup().SetPaperHeight(-5);
    EXPECT_EQ(report.PageSetup().PaperWidth(), 100);
    EXPECT_EQ(report.PageSetup().PaperHeight(), 210);
    EXPECT_EQ(report.Width(), 794);
    EXPECT_EQ(report.Height(), 378);
}

TEST(SizeAdjustment, AlignmentAndLayoutFixTheEdgeThatStays) {
    TRLReport report;
    TRLBand band(&report);
    const TRLFont font = report.Font();
    const int spaceWidth = TextMetrics::TextWidth(font, QStringLiteral(" "));

    TRLLabel right(&band);
    right.SetBounds(300, 2, 60, 17);
    right.SetAlignment(taRightJustify);
    right.SetCaption(QStringLiteral("Total Geral do Condom\u00ednio"));
    right.AdjustBounds();
    const int w = TextMetrics::TextWidth(font, right.Caption()) + spaceWidth;
    EXPECT_EQ(right.Width(), w);
    EXPECT_EQ(right.Left() + right.Width(), 360) << "the right edge stays";
    EXPECT_EQ(right.Height(), TextMetrics::TextHeight(font));

    // A centred label: the width is rounded up to even and centred.
    TRLLabel centre(&band);
    centre.SetAlignment(taCenter);
    QString caption = QStringLiteral("a");
    while ((TextMetrics::TextWidth(font, caption + QLatin1Char(' ')) % 2) == 0) {
        caption += QLatin1Char('a');
    }
    const int odd = TextMetrics::TextWidth(font, caption + QLatin1Char(' '));
    centre.SetBounds(100, 0, 200, 17);
    centre.SetCaption(caption);
    centre.AdjustBounds();
    EXPECT_EQ(centre.Width(), odd + 1);
    EXPECT_EQ(centre.Left(), 100 + (200 - (odd + 1)) / 2);
    centre.AdjustBounds(); // stable once adjusted
    EXPECT_EQ(centre.Width(), odd + 1);

    // Bottom layout keeps the bottom edge; borders add Width + 1 per side.
    TRLLabel bottom(&band);
    bottom.SetBounds(0, 10, 65, 40);
    bottom.SetLayout(tlBottom);
    bottom.Borders()->SetSides(sdAll);
    bottom.Borders()->SetWidth(2);
    bottom.SetCaption(QStringLiteral("x"));
    bottom.AdjustBounds();
    EXPECT_EQ(bottom.Height(), TextMetrics::TextHeight(font) + 6);
    EXPECT_EQ(bottom.Top() + bottom.Height(), 50);
    EXPECT_EQ(bottom.Width(), TextMetrics::TextWidth(font, QStringLiteral("x ")) + 6);

    // Width changes of labels never resize the band.
    EXPECT_EQ(band.Height(), 16);
}

// A memo whose content measures a given number of lines.
class LinesMemo : public TRLMemo {
public:
    using TRLMemo::TRLMemo;
    int lineHeight = 15;
    void CalcSize(int&, int& height) const override {
        height = std::max<int>(1, static_cast<int>(Lines().size())) * lineHeight;
    }
};

TEST(SizeAdjustment, GrowingMemoExpandsItsBandForThatPrintOnly) {
    TRLReport report;
    TRLBand band(&report);
    band.SetHeight(40);
    LinesMemo memo(&band);
    memo.SetBounds(0, 5, 185, 15);
    TRLLabel label(&band);
    {
        TRLBoundsSnapshot saved(&band);
        memo.Lines() << QStringLiteral("one") << QStringLiteral("two") << QStringLiteral("three");
        label.SetCaption(QStringLiteral("kept"));
        memo.AdjustBounds();
        EXPECT_EQ(memo.Height(), 45);
        EXPECT_EQ(band.Height(), 70) << "two extra line heights";
    }
    EXPECT_EQ(memo.Height(), 15);
    EXPECT_EQ(band.Height(), 40);
    EXPECT_EQ(label.Caption(), QStringLiteral("kept")) << "property values persist";

    band.SetAutoExpand(false);
    memo.AdjustBounds();
    EXPECT_EQ(band.Height(), 40);
}

TEST(SiteLayout, ChildrenFillTheClientRectangleByAlign) {
    TRLReport report;
    report.BeginLoad();
    // Created out of order: layout sorts by type, group index, then position.
    TRLBand footer(&report);
    footer.SetBandType(btFooter);
    TRLBand detail(&report);
    detail.SetHeight(20);
    TRLGroup group(&report);
    TRLBand header(&report);
    header.SetBandType(btHeader);
    header.SetHeight(30);
    header.Borders()->SetSides(sdAll);
    header.Borders()->SetWidth(2);
    header.InsideMargins().SetAll(3);
    TRLLabel right(&header);
    right.SetAlign(faRightOnly);
    right.SetBounds(5, 7, 50, 17);
    report.EndLoad();

    EXPECT_EQ(header.BoundsRect(), TRect::FromSize(38, 38, 794 - 76, 30));
    EXPECT_EQ(group.Top(), 68);
    EXPECT_EQ(detail.Top(), 68 + 64);
    EXPECT_EQ(footer.Top(), 68 + 64 + 20);
    // Client right of the header: width less border 2 and inside margin 11.
    EXPECT_EQ(right.Left(), (794 - 76) - 2 - 11 - 50);
    EXPECT_EQ(right.Top(), 7);
    EXPECT_EQ(header.SiteClientRect(), (TRect{13, 13, 718 - 13, 30 - 13}));

    // A site whose size changes lays its children out again.
    header.SetWidth(400);
    EXPECT_EQ(right.Left(), 400 - 13 - 50);
}

TEST(Bands, OrderCarbonCopiesAndGroupIndex) {
    TRLReport report;
    TRLBand b1(&report), b2(&report), b3(&report);
    b1.SetTop(50);
    b2.SetTop(10);
    b3.SetTop(50);
    const auto sorted = report.BandsOfType(btDetail);
    ASSERT_EQ(sorted.size(), 3u);
    EXPECT_EQ(sorted[0], &b2);
    EXPECT_EQ(sorted[1], &b1) << "equal tops keep creation order";
    EXPECT_EQ(sorted[2], &b3);

    b1.SetCarbonCopies(0);
    EXPECT_EQ(b1.CarbonCopies(), 1);
    b1.SetGroupIndex(-3);
    EXPECT_EQ(b1.GroupIndex(), 0);
    b1.SetGroupIndex(2);
    b2.SetGroupIndex(2);
    b1.SetCarbonCopies(3);
    EXPECT_EQ(b2.CarbonCopies(), 3);
    b3.SetGroupIndex(2);
    EXPECT_EQ(b3.CarbonCopies(), 3);
}

TEST(Colours, RunTimeColourMakesOpaqueAndTransparentRestoresParentColour) {
    TRLReport report;
    TRLBand band(&report);
    TRLLabel label(&band);
    label.SetColor(clWhite);
    EXPECT_TRUE(label.Transparent()) << "white keeps it transparent";
    label.SetColor(clSilver);
    EXPECT_FALSE(label.Transparent());
    EXPECT_FALSE(label.ParentColor());
    label.SetTransparent(true);
    EXPECT_TRUE(label.ParentColor());
    EXPECT_EQ(label.Color(), clWhite);

    band.BeginLoad();
    band.SetColor(clSilver);
    band.EndLoad();
    EXPECT_TRUE(band.Transparent()) << "colours loaded with the form change nothing";

    report.SetColor(clSilver);
    report.SetTransparent(true);
    EXPECT_EQ(report.Color(), clWhite);
    EXPECT_FALSE(report.ParentColor());
}

TEST(Failures, NotFoundTextsNameTheControlAndWhatIsMissing) {
    TRLReport report;
    report.SetName(QStringLiteral("RLReport1"));
    TRLBand band(&report);
    TRLDBMemo memo(&band);
    memo.SetName(QStringLiteral("RLDBMemo1"));
    NamesOnlyDataSet data({QStringLiteral("COND"), QStringLiteral("CONTA")});
    const QString nf = Messages().NotFound;
    EXPECT_EQ(ErrorOf([&] { memo.RequireField(&data, QStringLiteral("HIST")); }),
              nf + QStringLiteral(": RLDBMemo1.DataField \"HIST\""));
    EXPECT_EQ(memo.RequireField(&data, QStringLiteral("conta")), reinterpret_cast<TField*>(1));
    EXPECT_EQ(ErrorOf([&] { memo.RequireField(nullptr, QStringLiteral("COND")); }),
              nf + QStringLiteral(": RLDBMemo1.DataField \"COND\""));

    TRLLabel orphan;
    orphan.SetName(QStringLiteral("RLLabel9"));
    EXPECT_EQ(ErrorOf([&] { orphan.RequireParentReport(); }),
              nf + QStringLiteral(": RLLabel9.ParentReport"));
    EXPECT_EQ(ErrorOf([&] { orphan.RequireParentPager(); }),
              nf + QStringLiteral(": RLLabel9.ParentPager"));
    EXPECT_EQ(ErrorOf([&] { orphan.RequireParentSkipper(); }),
              nf + QStringLiteral(": RLLabel9.ParentSkipper"));
    EXPECT_EQ(ErrorOf([&] { orphan.RequireParentSurface(); }),
              nf + QStringLiteral(": RLLabel9.ParentSurface"));
    EXPECT_EQ(memo.RequireParentReport(), &report);
    EXPECT_EQ(memo.RequireParentSurface(), &band);

    EXPECT_EQ(EngineMessages::Portuguese().NotFound, QStringLiteral("N\u00e3o encontrado"));
}

TEST(Failures, FriendlyNamesMustBeValidAndUnique) {
    TRLReport report;
    TRLBand band(&report);
    TRLLabel a(&band), b(&band);
    a.SetFriendlyName(QStringLiteral("Total_1"));
    const struct {
        const char* name;
        QString expected;
    } cases[] = {
        {"1abc", Messages().InvalidName + QStringLiteral(" \"1abc\"")},
        {"com espa\u00e7o", Messages().InvalidName + QString::fromUtf8(" \"com espa\u00e7o\"")},
        {"total_1", Messages().NameInUse + QStringLiteral(" \"total_1\"")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ErrorOf([&] { b.SetFriendlyName(QString::fromUtf8(c.name)); }), c.expected);
    }
    EXPECT_TRUE(b.FriendlyName().isEmpty());
    b.SetFriendlyName(QStringLiteral("_Outro2"));
    EXPECT_EQ(b.FriendlyName(), QStringLiteral("_Outro2"));
    a.SetFriendlyName(QString()); // clearing is always allowed
    EXPECT_EQ(EngineMessages::Portuguese().InvalidName, QStringLiteral("Nome inv\u00e1lido"));
    EXPECT_EQ(EngineMessages::Portuguese().NameInUse, QStringLiteral("Nome j\u00e1 utilizado"));
}

TEST(Groups, DataFieldsAndFormulaExcludeEachOther) {
    TRLGroup group;
    group.SetDataFormula(QStringLiteral("x"));
    group.SetDataFields(QStringLiteral("COND;;CONTA;GRAU1;"));
    EXPECT_TRUE(group.DataFormula().isEmpty());
    EXPECT_EQ(group.FieldNames(), QStringList({QStringLiteral("COND"), QStringLiteral("CONTA"),
                                               QStringLiteral("GRAU1")}));
    group.SetDataFormula(QStringLiteral("y"));
    EXPECT_TRUE(group.DataFields().isEmpty());
    TRLImage image;
    image.SetStretch(true);
    image.SetScaled(true);
    EXPECT_FALSE(image.Stretch());
    image.SetStretch(true);
    EXPECT_FALSE(image.Scaled());
}

TEST(ReportPages, PreviewLinkKeepsPagesAfterTheReportIsGone) {
    auto* report = new TRLReport;
    TRLGraphicStorage* pages = report->Pages();
    EXPECT_EQ(pages->UserCount(), 1);
    int preview = 0;
    pages->Link(&preview);
    auto page = std::make_shared<TRLGraphicSurface>();
    page->TextOut(0, 0, QStringLiteral("x"));
    pages->AddPage(page);
    const QString spool = pages->SpoolFileName();
    delete report;
    EXPECT_EQ(pages->UserCount(), 1);
    EXPECT_TRUE(pages->GetPage(0));
    pages->Unlink(&preview);
    EXPECT_FALSE(QFile::exists(spool));
}

} // namespace
