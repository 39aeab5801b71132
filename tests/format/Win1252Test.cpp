#include "Win1252.h"

#include <gtest/gtest.h>

TEST(Win1252, EveryByteSurvivesARoundTrip) {
    QByteArray all(256, Qt::Uninitialized);
    for (int i = 0; i < 256; ++i) {
        all[i] = static_cast<char>(i);
    }
    EXPECT_EQ(Win1252::Encode(Win1252::Decode(all)), all);
}

TEST(Win1252, HighControlRangeIsTheCodePagesPunctuation) {
    const QString text = Win1252::Decode(QByteArray("\x80\x93\x94\x96\x8A\x9F", 6));
    EXPECT_EQ(text, QString::fromUtf8("€“”–ŠŸ"));
    EXPECT_EQ(Win1252::Encode(QString::fromUtf8("Ação € ção")),
              QByteArray("A\xE7\xE3o \x80 \xE7\xE3o"));
}

TEST(Win1252, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    EXPECT_EQ(Win1252::Encode(QString::fromUtf8("α→ok")), QByteArray("??ok"));
}

TEST(Win1252, UpperCaseRaisesAccentedLettersOnly) {
    EXPECT_EQ(Win1252::AnsiUpperCase(QString::fromUtf8("ação ÿ š œ ß µ x")),
              QString::fromUtf8("AÇÃO Ÿ Š Œ ß µ X"));
}
