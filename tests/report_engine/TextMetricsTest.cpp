// Widths and heights from the font files' own tables, the same everywhere.
#include "TextMetrics.h"
#include "EngineMessages.h"
#include "Exception.h"
#include "FontFiles.h"

#include <gtest/gtest.h>

namespace {

TRLFont Font(const char* name, int size, std::uint8_t style = 0) {
    TRLFont f;
    f.Name = QString::fromLatin1(name);
    f.Size = size;
    f.Style = style;
    return f;
}

TEST(TextMetrics, WidthsAreSumsOfRoundedAdvances) {
    // "Total Geral " at 11 px: each glyph's advance rounded, then summed.
    TRLFont arial = Font("Arial", 8); // 8 pt is 11 px
    EXPECT_EQ(arial.PixelSize(), 11);
    EXPECT_EQ(TextMetrics::TextWidthAt(arial, 11, QStringLiteral("Total Geral ")), 57);
    // Advances in thousandths of an em from the font: space 278, T 611, a 556.
    EXPECT_EQ(TextMetrics::UnitsPerEm(QStringLiteral("Arial"), 0), 2048);
    EXPECT_EQ(TextMetrics::AdvanceUnits(QStringLiteral("Arial"), 0, u' '), 569);
    EXPECT_EQ(TextMetrics::TextWidthAt(arial, 1000, QStringLiteral(" ")), 278);
    EXPECT_EQ(TextMetrics::TextWidthAt(arial, 1000, QStringLiteral("T")), 611);
    EXPECT_EQ(TextMetrics::TextWidthAt(arial, 1000, QStringLiteral("a")), 556);
    EXPECT_EQ(TextMetrics::TextWidthAt(arial, 1000, QStringLiteral("\u00e7")), 500);
    EXPECT_EQ(TextMetrics::TextWidth(arial, QString()), 0);
}

TEST(TextMetrics, HeightsAreWindowsAscentAndDescent) {
    const TRLFont f11 = Font("Arial", 8);
    EXPECT_EQ(TextMetrics::Ascent(f11), 10);
    EXPECT_EQ(TextMetrics::Descent(f11), 2);
    EXPECT_EQ(TextMetrics::TextHeight(f11), 12);
    EXPECT_EQ(TextMetrics::AscentAt(f11, 13), 12);
    EXPECT_EQ(TextMetrics::DescentAt(f11, 13), 3);
}

TEST(TextMetrics, FacesMapToLiberationFilesByStyle) {
    const struct {
        const char* face;
        std::uint8_t style;
        const char* file;
    } cases[] = {
        {"Arial", 0, "LiberationSans-Regular.ttf"},
        {"arial", fsBold, "LiberationSans-Bold.ttf"},
        {"Times New Roman", fsItalic, "LiberationSerif-Italic.ttf"},
        {"Courier New", fsBold | fsItalic, "LiberationMono-BoldItalic.ttf"},
        {"MS Sans Serif", fsUnderline, "LiberationSans-Regular.ttf"},
    };
    for (const auto& c : cases) {
        // Found through fontconfig, wherever the system keeps the files.
        EXPECT_TRUE(TextMetrics::FontFilePath(QString::fromLatin1(c.face), c.style)
                        .endsWith(QLatin1Char('/') + QString::fromLatin1(c.file)))
            << c.face;
    }
    // A family the system does not have is not replaced by another one.
    try {
        FontFiles::Find(QStringLiteral("No Such Family 123"), false, false,
                        QStringLiteral("fonts-nosuch"));
        ADD_FAILURE() << "a missing family was found";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("fonts-nosuch")))
            << e.Message().toStdString();
    }
    const TRLFont regular = Font("Arial", 9);
    const TRLFont bold = Font("Arial", 9, fsBold);
    const TRLFont mono = Font("Courier New", 10);
    EXPECT_GT(TextMetrics::TextWidth(bold, QStringLiteral("Total Geral")),
              TextMetrics::TextWidth(regular, QStringLiteral("Total Geral")));
    EXPECT_EQ(TextMetrics::TextWidth(mono, QStringLiteral("iiii")),
              TextMetrics::TextWidth(mono, QStringLiteral("WWWW")));
    EXPECT_EQ(TextMetrics::HalfSpace(regular),
              TextMetrics::TextWidth(regular, QStringLiteral(" ")) / 2);
}

TEST(TextMetrics, PointsBecomePixelsWithHalvesAwayFromZero) {
    const std::pair<int, int> cases[] = {{8, 11}, {9, 12}, {10, 13}, {11, 15}, {12, 16}, {3, 4}};
    for (const auto& [points, pixels] : cases) {
        EXPECT_EQ(TRLFont::PointsToPixels(points), pixels) << points;
    }
}

TEST(EngineMessages, TableFollowsTheLanguage) {
    EXPECT_EQ(EngineMessages::ForLanguage(QLocale::Portuguese).NotFound,
              QStringLiteral("Não encontrado"));
    EXPECT_EQ(EngineMessages::ForLanguage(QLocale::Spanish).PrepareError,
              QStringLiteral("Un error ocurrió mientras se preparaba el informe"));
    EXPECT_EQ(EngineMessages::ForLanguage(QLocale::French).Cancel, QStringLiteral("Annulé"));
    EXPECT_EQ(EngineMessages::ForLanguage(QLocale::German).Page, QStringLiteral("Page"));
    EXPECT_EQ(EngineMessages::ForLanguage(QLocale::English).NameInUse,
              QStringLiteral("Name already in use"));
    const EngineMessages& pt = EngineMessages::Portuguese();
    EXPECT_EQ(pt.PrepareProgress, QStringLiteral("Preparando o relatório..."));
    EXPECT_EQ(pt.Of, pt.From);
    EXPECT_EQ(pt.Junction, QStringLiteral("Continua..."));
    EXPECT_EQ(&Messages(), &Messages());
}

} // namespace
