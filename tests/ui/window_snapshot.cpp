// Saves a picture of the real window, started in the given language from a machine folder of
// its own: vq880-window-snapshot English|ChineseGB|ChineseBIG5 picture.png
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "PlatformServices.h"
#include "SettingsStore.h"
#include "TfrmModule.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: %s English|ChineseGB|ChineseBIG5 picture.png\n", argv[0]);
        return 2;
    }
    QTemporaryDir machineFolder;
    SettingsStore(machineFolder.path()).SaveLanguage(arguments[1]);

    const ProgramServices program(machineFolder.path(), ProgramServices::Sound::Silent);
    TfrmModule window(program.services());
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "the window was not shown\n");
        return 1;
    }
    QTest::qWait(200);  // let the first paint settle
    if (!window.grab().save(arguments[2], "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(arguments[2]));
        return 1;
    }
    return 0;
}
