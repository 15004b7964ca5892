// Program start: the application, its title, the one window and the message loop.
#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <exception>
#include <optional>

#include "PlatformServices.h"
#include "TfrmModule.h"

namespace {

const char* const ApplicationTitle = "TAVIN VQ880-2P / VQ880-1W Reader Config";

void ShowStartFailure(const QString& text) {
    if (QApplication::instance())
        QMessageBox::critical(nullptr, QString::fromLatin1(ApplicationTitle), text);
    else
        std::fprintf(stderr, "%s: %s\n", ApplicationTitle, text.toLocal8Bit().constData());
}

}  // namespace

int main(int argc, char* argv[]) {
    // The text table is constant data, ready before anything here runs.
    std::optional<QApplication> application;
    try {
        application.emplace(argc, argv);
        // The name the desktop shows for the program. The window's own caption comes from the
        // text table and is left as it is (a display name would be appended to it).
        QCoreApplication::setApplicationName(QString::fromLatin1(ApplicationTitle));
        QGuiApplication::setDesktopFileName(QStringLiteral("vq880-config"));

        const ProgramServices program(QStringLiteral(VQ880_MACHINE_FOLDER));
        TfrmModule frmModule(program.services());
        frmModule.show();
        application->exec();
        return 0;
    } catch (const std::exception& error) {
        ShowStartFailure(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        ShowStartFailure(QStringLiteral("Unknown error"));
    }
    return 1;
}
