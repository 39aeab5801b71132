// One picture of each screen, for a reviewer to look at; nothing is
// compared. Run under Xvfb by ctest; the pictures go to QUORVA_ARTIFACT_DIR.
#include "DMod.h"
#include "IniciaRemoto.h"
#include "RemotoPesq.h"
#include "ScreenControls.h"
#include "ScreenTestSupport.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace ScreenTest;

namespace {

QString ArtifactPath(const QString& name) {
    QString dir = qEnvironmentVariable("QUORVA_ARTIFACT_DIR");
    if (dir.isEmpty()) {
        dir = QDir::currentPath();
    }
    QDir().mkpath(dir);
    return QDir(dir).filePath(name);
}

void Save(QWidget& window, const QString& name) {
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(100);
    const QString path = ArtifactPath(name);
    ASSERT_TRUE(window.grab().save(path, "PNG")) << path.toStdString();
    std::printf("screenshot: %s\n", qPrintable(path));
}

TEST(Screenshots, StartAndSelectionScreens) {
    Messages messages;
    Brazilian brazil;
    ScratchDir dir;
    {
        QFile ini(dir.File(QStringLiteral("torvikrm.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[CONFIG]\r\nCond=50\r\n");
    }
    TDM dm;
    ASSERT_TRUE(dm.BDados.Connected());
    TFIniciaRemoto start;
    start.Timer1Timer(&start.Timer1);
    start.Edit1->setText(QStringLiteral("50"));
    start.Edit2->setText(QStringLiteral("segredo"));
    Save(start, QStringLiteral("start-screen.png"));

    ModalDriver driver([&](QDialog& dialog) {
        auto& pesq = static_cast<TFRemotoPesq&>(dialog);
        pesq.RadioGroup1->SetItemIndex(2);
        pesq.RadioGroup2->SetItemIndex(2);
        pesq.Btn_Importa_Registro->click();
        pesq.SG->setCurrentCell(1, 0);
        pesq.SGDblClick(pesq.SG);
        Save(pesq, QStringLiteral("selection-screen.png"));
        pesq.Encerrar1Click(&pesq);
    });
    start.Edit1->setText(QStringLiteral("1"));
    start.Edit2->setText(QStringLiteral("abc123"));
    start.BitBtn1->click();
    EXPECT_EQ(driver.shown, 1);
    EXPECT_EQ(messages.Take(), QStringList());
}

} // namespace
