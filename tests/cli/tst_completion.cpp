// The bash completion of vq880 against the command table: every command, and for each command
// the options it takes and no other.
#include <QProcess>
#include <QtTest>

#include "CommandTable.h"

namespace {

const QString BashCompletion = QStringLiteral("/usr/share/bash-completion/bash_completion");

// What the completion offers for the command line typed so far.
QStringList Offered(const QString& line) {
    const QString script = QStringLiteral(R"(
source "$1"; source "$2"
COMP_LINE="$3"; COMP_POINT=${#COMP_LINE}
read -r -a COMP_WORDS <<<"$COMP_LINE"
[[ $COMP_LINE == *" " ]] && COMP_WORDS+=("")
COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
_vq880 2>/dev/null
printf '%s\n' "${COMPREPLY[@]}")");
    QProcess bash;
    bash.start("bash",
               {"-c", script, "bash", BashCompletion, QStringLiteral(VQ880_COMPLETION_PATH), line});
    if (!bash.waitForFinished(10000)) return {};
    return QString::fromUtf8(bash.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

}  // namespace

class CompletionTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        if (!QFile::exists(BashCompletion)) QSKIP("bash-completion is not installed");
    }
    void everyCommandIsOffered() {
        QStringList offered = Offered("vq880 ");
        QStringList commands;
        for (const CommandRow& command : CommandTable()) commands << command.name;
        offered.sort();
        commands.sort();
        QCOMPARE(offered, commands);
    }
    void eachCommandIsOfferedItsOwnOptions_data() {
        QTest::addColumn<QString>("command");
        for (const CommandRow& command : CommandTable())
            QTest::newRow(qPrintable(command.name)) << command.name;
    }
    void eachCommandIsOfferedItsOwnOptions() {
        QFETCH(QString, command);
        QStringList offered = Offered("vq880 " + command + " --");
        offered.removeAll("--help");
        offered.removeAll("--version");
        offered.removeAll("--trace=");  // the trace to a file, beside the bare one
        QStringList taken;
        for (const OptionRow& option : OptionTable())
            if (Takes(*FindCommand(command), option)) taken << "--" + option.name;
        offered.sort();
        taken.sort();
        QCOMPARE(offered, taken);
    }
};

QTEST_GUILESS_MAIN(CompletionTest)
#include "tst_completion.moc"
