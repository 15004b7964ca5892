// The command line read into a request, without running anything: words in any case, the
// run's language, and the hint's label in it.
#include <QTemporaryDir>
#include <QtTest>

#include "CommandLine.h"
#include "ConsoleTexts.h"
#include "NoReaderReport.h"

class CommandLineTest : public QObject {
    Q_OBJECT
  private slots:
    void init() { qputenv("VQ880_MACHINE_FOLDER", folder.path().toLocal8Bit()); }
    void cleanup() { SetConsoleLanguage(0); }

    void wordsAreTakenInAnyCase() {
        const ParseResult parsed =
            ParseCommandLine({"vq880", "--language", "English", "set-input", "NO"});
        QCOMPARE(int(parsed.kind), int(ParseResult::Kind::Run));
        QCOMPARE(parsed.request.language, 0);
        QCOMPARE(parsed.request.values.at(SettingKey::Input).parts[0], 1);
    }

    void theHintFollowsTheLanguage() {
        ParseCommandLine({"vq880", "--language", "chinesebig5", "scan"});
        QCOMPARE(ConsoleLanguage(), 2);
        Diagnosis diagnosis;
        const QStringList lines = NoReaderLines(diagnosis, PortNames(folder.path()), 2);
        QVERIFY2(lines.last().startsWith(QString::fromUtf8("提示：")), qPrintable(lines.last()));
    }

  private:
    QTemporaryDir folder;
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_command_line.moc"
