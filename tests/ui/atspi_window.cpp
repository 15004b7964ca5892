// The window with an in-memory reader on a virtual clock, for reading it through the desktop's
// accessibility bus: a scan or a reading run started from there ends at once.
#include <QApplication>
#include <QTest>
#include <cstdio>

#include "FormHarness.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    FormHarness harness({.tags = {0x00123456}});
    if (!QTest::qWaitForWindowExposed(&harness.form())) {
        std::fprintf(stderr, "the window was not shown\n");
        return 1;
    }
    return application.exec();
}
