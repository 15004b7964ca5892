// Saves a picture of the real window, started in the given language from a machine folder of
// its own: vq880-window-snapshot English|ChineseGB|ChineseBIG5 picture.png
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "Clock.h"
#include "PlatformServices.h"
#include "SettingsStore.h"
#include "TfrmModule.h"
#include "ToneSink.h"

namespace {
class SilentTone final : public ToneSink {
  public:
    void Beep(int, int) override {}
};
}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: %s English|ChineseGB|ChineseBIG5 picture.png\n", argv[0]);
        return 2;
    }
    QTemporaryDir machineFolder;
    SettingsStore(machineFolder.path()).SaveLanguage(arguments[1]);

    const std::unique_ptr<SerialLine> line = MakeSerialLine();
    SteadyClock clock;
    SilentTone tone;
    ModuleServices services;
    services.line = line.get();
    services.clock = &clock;
    services.tone = &tone;
    services.machineFolder = machineFolder.path();

    TfrmModule window(services);
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
