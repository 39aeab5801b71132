// Common main for every test executable: widgets and fonts need an
// application object, and with no display Qt aborts unless a platform is set.
#include <QApplication>
#include <QByteArray>
#include <gtest/gtest.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    const int result = RUN_ALL_TESTS();
#if defined(__SANITIZE_ADDRESS__)
    // Look for leaks now, while every thread is still parked, rather than from
    // the exit handlers: there the database client library tears its threads
    // down and the leak checker's tracer sometimes crashes on one of them.
    __lsan_do_leak_check();
#endif
    return result;
}
