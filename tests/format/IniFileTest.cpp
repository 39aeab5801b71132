#include "IniFile.h"

#include "Exception.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class IniFileTest : public ::testing::Test {
protected:
    QString PathOf(const QString& name) const { return dir_.filePath(name); }

    QString WriteFile(const QByteArray& bytes) const {
        const QString path = PathOf(QStringLiteral("torvikrm.ini"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    static QByteArray Contents(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir dir_;
};

TEST_F(IniFileTest, MissingFileSectionOrKeyReadsAsAbsent) {
    const IniFile missing(PathOf(QStringLiteral("none.ini")));
    EXPECT_FALSE(missing.SectionExists(QStringLiteral("CONFIG")));
    EXPECT_EQ(missing.ReadInteger(QStringLiteral("CONFIG"), QStringLiteral("Cond"), 0), 0);
    EXPECT_EQ(missing.ReadString(QStringLiteral("CONFIG"), QStringLiteral("Cond"), "x"), "x");

    const IniFile ini(WriteFile("[OTHER]\r\nCond=5\r\n[CONFIG]\r\nName=a\r\n"));
    EXPECT_FALSE(ini.SectionExists(QStringLiteral("MISSING")));
    EXPECT_FALSE(ini.ValueExists(QStringLiteral("CONFIG"), QStringLiteral("Cond")));
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("CONFIG"), QStringLiteral("Cond"), 0), 0);
    EXPECT_FALSE(QFile::exists(PathOf(QStringLiteral("none.ini"))));
}

TEST_F(IniFileTest, ReadsWindowsFilesAsWritten) {
    QByteArray bytes = "; remote client\n"
                       "Loose=before any section\n"
                       "[ config ]\r\n"
                       "  COND = 1234  \r\n"
                       "Path=C:\\servidor\\KESTRO\\Dados\\Cond.FDB\r"
                       "City=S\xe3o Paulo \x80 100\r\n"
                       "Quoted=\"  padded  \"\n"
                       ";Cond=999\n"
                       "Cond=777\n"
                       "Empty=\n"
                       "Bad=12abc\n"
                       "Big=99999999999\n"
                       "Neg=-42";
    const IniFile ini(WriteFile(bytes));
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("CONFIG"), QStringLiteral("cond"), 0), 1234);
    EXPECT_EQ(ini.ReadString(QStringLiteral("Config"), QStringLiteral("PATH"), {}),
              QStringLiteral("C:\\servidor\\KESTRO\\Dados\\Cond.FDB"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("CONFIG"), QStringLiteral("City"), {}),
              QString::fromUtf8("São Paulo € 100"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("CONFIG"), QStringLiteral("Quoted"), {}),
              QStringLiteral("  padded  "));
    EXPECT_TRUE(ini.ValueExists(QStringLiteral("CONFIG"), QStringLiteral("Empty")));
    EXPECT_EQ(ini.ReadString(QStringLiteral("CONFIG"), QStringLiteral("Empty"), "x"), "");
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("CONFIG"), QStringLiteral("Empty"), 0), 0);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("CONFIG"), QStringLiteral("Bad"), 0), 0);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("CONFIG"), QStringLiteral("Big"), 0), 0);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("CONFIG"), QStringLiteral("Neg"), 0), -42);
    EXPECT_FALSE(ini.ValueExists(QString(), QStringLiteral("Loose")));
}

TEST_F(IniFileTest, WritingKeepsOrderAndCommentsAndWritesCrlf) {
    const QString path = WriteFile("; remote client\n"
                                   "[Config]\n"
                                   "cond=1\n"
                                   "Other=C:\\x\n"
                                   "\n"
                                   "[Later]\n"
                                   "k=v\n");
    IniFile ini(path);
    ini.WriteInteger(QStringLiteral("CONFIG"), QStringLiteral("Cond"), 4321);
    EXPECT_EQ(Contents(path), QByteArray("; remote client\r\n"
                                         "[Config]\r\n"
                                         "cond=4321\r\n"
                                         "Other=C:\\x\r\n"
                                         "\r\n"
                                         "[Later]\r\n"
                                         "k=v\r\n"));
    ini.WriteString(QStringLiteral("config"), QStringLiteral("Name"),
                    QString::fromUtf8("Edifício"));
    ini.WriteString(QStringLiteral("New"), QStringLiteral("a"), QStringLiteral("b"));
    EXPECT_EQ(Contents(path), QByteArray("; remote client\r\n"
                                         "[Config]\r\n"
                                         "cond=4321\r\n"
                                         "Other=C:\\x\r\n"
                                         "Name=Edif\xed"
                                         "cio\r\n"
                                         "\r\n"
                                         "[Later]\r\n"
                                         "k=v\r\n"
                                         "[New]\r\n"
                                         "a=b\r\n"));
    EXPECT_EQ(IniFile(path).ReadString(QStringLiteral("CONFIG"), QStringLiteral("name"), {}),
              QString::fromUtf8("Edifício"));
}

TEST_F(IniFileTest, CreatesTheFileAtThePathFixedWhenOpened) {
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir_.path()));
    IniFile ini(QStringLiteral("torvikrm.ini"));
    QTemporaryDir elsewhere;
    ASSERT_TRUE(QDir::setCurrent(elsewhere.path()));
    ini.WriteInteger(QStringLiteral("CONFIG"), QStringLiteral("Cond"), 1234);
    QDir::setCurrent(saved);
    EXPECT_EQ(Contents(PathOf(QStringLiteral("torvikrm.ini"))),
              QByteArray("[CONFIG]\r\nCond=1234\r\n"));
    EXPECT_FALSE(QFile::exists(elsewhere.filePath(QStringLiteral("torvikrm.ini"))));
}

TEST_F(IniFileTest, LineBreaksInValuesCannotSplitTheFile) {
    const QString path = PathOf(QStringLiteral("x.ini"));
    IniFile ini(path);
    ini.WriteString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("one\r\n[Evil]\nx=1"));
    EXPECT_EQ(Contents(path), QByteArray("[S]\r\nk=one  [Evil] x=1\r\n"));
    EXPECT_FALSE(IniFile(path).SectionExists(QStringLiteral("Evil")));
}

TEST_F(IniFileTest, RefusedWriteRaisesWithThePath) {
    const QString path = PathOf(QStringLiteral("no/such/dir/torvikrm.ini"));
    IniFile ini(path);
    try {
        ini.WriteInteger(QStringLiteral("CONFIG"), QStringLiteral("Cond"), 1);
        FAIL() << "the write succeeded";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Unable to write to ") + path);
    }
}

} // namespace
