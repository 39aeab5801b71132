// The in-memory dataset the report engine's tests walk.
#include "MemDataSet.h"

#include <gtest/gtest.h>

namespace {

TEST(TMemDataSet, WalksRowsAndReadsFieldsLikeTheDatabaseFields) {
    TMemDataSet ds;
    ds.AddField(QStringLiteral("IMOVEL"), TMemField::Kind::String);
    ds.AddField(QStringLiteral("VALOR"), TMemField::Kind::Currency,
                QStringLiteral("###,###,##0.00 ;###,###,##0.00-; "));
    ds.AddField(QStringLiteral("VENC"), TMemField::Kind::Date, QStringLiteral("dd/mm/yyyy"));
    ds.AppendRecord({QStringLiteral("0101"), std::int64_t{12345000}, 41699.0});
    ds.AppendRecord({QStringLiteral("0102"), std::int64_t{-200000}});
    EXPECT_FALSE(ds.Active());
    ds.Open();
    EXPECT_EQ(ds.RecordCount(), 2);
    TField* valor = ds.FindField(QStringLiteral("valor"));
    ASSERT_NE(valor, nullptr);
    EXPECT_EQ(ds.FindField(QStringLiteral("nada")), nullptr);
    EXPECT_EQ(valor->AsCurrency(), 12345000);
    EXPECT_EQ(valor->DisplayText(), QStringLiteral("1.234,50 "));
    EXPECT_EQ(valor->AsFloat(), 1234.5);
    EXPECT_EQ(ds.FindField(QStringLiteral("VENC"))->DisplayText(), QStringLiteral("01/03/2014"));
    ds.Next();
    EXPECT_FALSE(ds.Eof());
    EXPECT_EQ(valor->DisplayText(), QStringLiteral("20,00-"));
    EXPECT_TRUE(ds.FindField(QStringLiteral("VENC"))->IsNull());
    EXPECT_EQ(ds.FindField(QStringLiteral("VENC"))->DisplayText(), QString());
    EXPECT_EQ(ds.FindField(QStringLiteral("VENC"))->AsDateTime(), 0.0);
    ds.Next();
    EXPECT_TRUE(ds.Eof());
    ds.First();
    EXPECT_EQ(ds.FindField(QStringLiteral("IMOVEL"))->AsString(), QStringLiteral("0101"));
}

TEST(TMemDataSet, EmptyDataSetIsAtEndAtOnce) {
    TMemDataSet ds;
    ds.AddField(QStringLiteral("A"), TMemField::Kind::Integer);
    ds.Open();
    EXPECT_TRUE(ds.Eof());
    EXPECT_EQ(ds.FindField(QStringLiteral("A"))->AsInteger(), 0);
    EXPECT_EQ(ds.FindField(QStringLiteral("A"))->AsString(), QString());
}

} // namespace
