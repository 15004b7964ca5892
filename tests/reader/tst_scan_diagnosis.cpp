#include <QRegularExpression>
#include <QtTest>

#include "DiagnosisTexts.h"
#include "ScanDiagnosis.h"
#include "TextTable.h"

namespace {

// One port of a scan, written short: how it opened (Free: it did), then the verdicts at each
// line setting, each behind a set-aside echo where the adapter echoes.
PortTry Port(int com, PortState state, QList<QList<ReplyVerdict>> lines = {}, QString holder = {},
             bool echoes = false) {
    PortTry port;
    port.comNumber = com;
    port.open = state == PortState::Free ? OpenResult::Opened(7) : OpenResult::Failed(state);
    port.open.device = QStringLiteral("/dev/ttyUSB%1").arg(com);
    if (!holder.isEmpty()) port.open.holderPid = 812, port.open.holderName = holder;
    if (state == PortState::NoPermission) port.open.group = QStringLiteral("dialout");
    for (int i = 0; i < lines.size(); ++i) {
        port.lines.push_back({i, QString::fromLatin1(LineSettingTable[i]), {}});
        for (ReplyVerdict verdict : lines[i]) port.lines.back().replies.Count(verdict, echoes);
    }
    return port;
}

using V = ReplyVerdict;
using F = PortState;
constexpr bool Echoes = true;
const QList<V> Silent{V::Nothing, V::Nothing};

}  // namespace

class ScanDiagnosisTest : public QObject {
    Q_OBJECT
  private slots:
    // What came back outweighs why ports did not open, and a named holder its remedy.
    void theLikeliestCause_data() {
        QTest::addColumn<ScanResult>("scan");
        QTest::addColumn<int>("cause");
        QTest::addColumn<int>("port");  // the COM number it was seen at, 0 for none
        const auto row = [](const char* name, std::vector<PortTry> ports, Cause cause, int port) {
            ScanResult scan;
            scan.ports = std::move(ports);
            QTest::newRow(name) << scan << int(cause) << port;
        };
        row("nothing anywhere", {Port(1, F::NoDevice), Port(2, F::NoDevice)}, Cause::NoDevice, 0);
        row("one port opened, silent", {Port(1, F::NoDevice), Port(2, F::Free, {Silent})},
            Cause::Silent, 0);
        row("a link to nothing beats a silent port",
            {Port(1, F::Free, {Silent}), Port(3, F::MissingTarget)}, Cause::MissingTarget, 3);
        row("the braille service", {Port(1, F::Free, {Silent}), Port(5, F::InUse, {}, "brltty")},
            Cause::BrailleService, 5);
        row("the modem manager", {Port(5, F::InUse, {}, "ModemManager")}, Cause::ModemManager, 5);
        row("another program", {Port(5, F::InUse, {}, "minicom")}, Cause::HeldByProgram, 5);
        row("in use beats no permission", {Port(4, F::NoPermission), Port(5, F::InUse)},
            Cause::HeldByProgram, 5);
        row("no permission", {Port(4, F::NoPermission), Port(5, F::NoDevice)}, Cause::NoPermission,
            4);
        row("wrong check beats a held port",
            {Port(5, F::InUse, {}, "brltty"), Port(6, F::Free, {{V::Nothing, V::WrongCheck}})},
            Cause::WrongCheck, 6);
        // The tool copes with an echo: it only says that no reader answered behind it, after
        // every other cause.
        row("only an echo came back",
            {Port(1, F::Free, {Silent}), Port(6, F::Free, {Silent}, {}, Echoes)}, Cause::Echo, 6);
        row("a refusal beats an echo",
            {Port(4, F::NoPermission), Port(6, F::Free, {Silent}, {}, Echoes)}, Cause::NoPermission,
            4);
        row("what came behind the echo", {Port(6, F::Free, {{V::WrongCheck}}, {}, Echoes)},
            Cause::WrongCheck, 6);
        row("bytes without a frame at another line setting",
            {Port(6, F::Free, {Silent, {V::Noise, V::Nothing}, Silent})}, Cause::Noise, 6);
        row("the port with more of the evidence",
            {Port(6, F::Free, {{V::WrongCheck}}),
             Port(7, F::Free, {{V::WrongCheck, V::WrongCheck}})},
            Cause::WrongCheck, 7);
        row("gone", {Port(6, F::Free, {{V::PortGone}})}, Cause::Gone, 6);
    }
    void theLikeliestCause() {
        QFETCH(ScanResult, scan);
        QFETCH(int, cause);
        QFETCH(int, port);
        const Diagnosis diagnosis = Diagnose(scan);
        QCOMPARE(CauseName(diagnosis.cause), CauseName(Cause(cause)));
        QCOMPARE(diagnosis.causePort >= 0 ? diagnosis.ports[diagnosis.causePort].comNumber : 0,
                 port);
    }

    // The kept place's try and the port scan's try of the same port are one port, each line
    // setting once with its counts summed.
    void triesOfOnePortAreSummed() {
        ScanResult scan;
        scan.ports = {Port(6, F::Free, {{V::WrongCheck, V::Nothing}}), Port(1, F::NoDevice),
                      Port(6, F::Free, {{V::WrongCheck}, Silent})};
        const Diagnosis diagnosis = Diagnose(scan);
        QCOMPARE(int(diagnosis.ports.size()), 2);
        const PortSummary& six = diagnosis.ports[0];
        QCOMPARE(six.comNumber, 6);
        QCOMPARE(int(six.lines.size()), 2);
        QCOMPARE(six.lines[0].replies.wrongCheck, 2);
        QCOMPARE(six.lines[0].replies.nothing, 1);
        QCOMPARE(six.replies.nothing, 3);
        QVERIFY(!diagnosis.oneLineSetting);
        QCOMPARE(PortLine(six, PortNames(QString()), 0),
                 QString("COM6 (/dev/ttyUSB6): at 4800,n,8,1: 2 with wrong check characters, 1 "
                         "silent; silent at 4800,e,8,1"));
    }

    // Every hint in every language names its port and leaves no place holder unfilled.
    void everyHintIsWhole() {
        const PortNames names{QString()};
        for (const PortTry& port :
             {Port(3, F::MissingTarget), Port(4, F::NoPermission), Port(5, F::InUse, {}, "brltty"),
              Port(5, F::InUse, {}, "ModemManager"), Port(5, F::InUse, {}, "minicom"),
              Port(5, F::InUse), Port(8, F::NotSerialDevice), Port(8, F::OpenError),
              Port(6, F::Free, {{V::WrongCheck}}), Port(6, F::Free, {Silent}, {}, Echoes),
              Port(6, F::Free, {{V::WrongLength}}), Port(6, F::Free, {{V::Noise}}),
              Port(6, F::Free, {{V::PortGone}})}) {
            ScanResult scan;
            scan.ports = {port};
            const Diagnosis diagnosis = Diagnose(scan);
            for (int language = 0; language < LanguageCount; ++language) {
                const QString hint = HintText(diagnosis, names, language);
                const QString line = PortLine(diagnosis.ports[0], names, language);
                const QString where = CauseName(diagnosis.cause) + " " + QString::number(language);
                QVERIFY2(hint.contains(PortNames::PortName(port.comNumber)), qPrintable(where));
                QVERIFY2(!hint.contains(QRegularExpression("%[0-9]")), qPrintable(hint));
                QVERIFY2(!line.contains(QRegularExpression("%[0-9]")), qPrintable(line));
                if (!port.open.holderName.isEmpty())
                    QVERIFY2(hint.contains(port.open.holderName) || hint.contains("brltty"),
                             qPrintable(hint));
                if (port.open.state == F::NoPermission)
                    QVERIFY2(hint.contains("dialout") && line.contains("dialout"),
                             qPrintable(hint));
            }
        }
    }

    // A locked scan that heard nothing says which one line setting it tried.
    void silentAtOneLineSettingSaysSo() {
        ScanResult scan;
        scan.ports = {Port(1, F::Free, {Silent}), Port(2, F::NoDevice)};
        const Diagnosis diagnosis = Diagnose(scan);
        QVERIFY(diagnosis.oneLineSetting);
        QVERIFY(HintText(diagnosis, PortNames(QString()), 0).contains("Only 4800,n,8,1 was tried"));
        scan.ports[0] = Port(1, F::Free, {Silent, Silent});
        QVERIFY(!HintText(Diagnose(scan), PortNames(QString()), 0).contains("Only"));
    }
    // Each state in the same words wherever it is told; every language fills every place.
    void eachStatesWords_data() {
        QTest::addColumn<PortFacts>("port");
        QTest::addColumn<QString>("words");
        const auto facts = [](PortState state) {
            PortFacts port;
            port.state = state;
            port.device = QStringLiteral("/dev/ttyUSB0");
            return port;
        };
        QTest::newRow("free") << facts(F::Free) << "free";
        QTest::newRow("nothing there") << facts(F::NoDevice) << "no device";
        PortFacts held = facts(F::InUse);
        held.holderPid = 812, held.holderName = QStringLiteral("brltty");
        QTest::newRow("held by a named program") << held << "in use by brltty (process 812)";
        QTest::newRow("held by nobody named") << facts(F::InUse) << "in use by another program";
        PortFacts group = facts(F::NoPermission);
        group.group = QStringLiteral("dialout");
        QTest::newRow("no permission, and who has it")
            << group << "no permission (members of the group dialout have it)";
        const std::pair<NotSerialKind, const char*> kinds[] = {
            {NotSerialKind::RegularFile, "not a serial device (a regular file)"},
            {NotSerialKind::Folder, "not a serial device (a folder)"},
            {NotSerialKind::LinkLoop, "not a serial device (a loop of links)"},
            {NotSerialKind::NullDevice, "not a serial device (the null device)"},
            {NotSerialKind::SystemTerminal,
             "not a serial device (a console or terminal of the system)"},
            {NotSerialKind::Other, "not a serial device"}};
        for (const auto& [kind, words] : kinds) {
            PortFacts port = facts(F::NotSerialDevice);
            port.notSerial = kind;
            QTest::newRow(words) << port << words;
        }
        PortFacts error = facts(F::OpenError);
        QTest::newRow("an error the system did not number") << error << "does not open";
        error.systemError = 5;
        QTest::newRow("the system's error") << error << "does not open (system error 5)";
    }
    void eachStatesWords() {
        QFETCH(PortFacts, port);
        QFETCH(QString, words);
        QCOMPARE(PortStateText(port, 0), words);
        for (int language = 1; language < LanguageCount; ++language) {
            const QString text = PortStateText(port, language);
            QVERIFY2(!text.isEmpty() && !text.contains(QRegularExpression("%[0-9]")),
                     qPrintable(text));
        }
    }

    // An adapter that echoes is named in its port's line; the hint looks behind the echo.
    void anEchoingAdapterIsNamed() {
        ScanResult scan;
        scan.ports = {Port(6, F::Free, {Silent}, {}, Echoes)};
        const Diagnosis diagnosis = Diagnose(scan);
        const PortNames names{QString()};
        QCOMPARE(PortLine(diagnosis.ports[0], names, 0),
                 QString("COM6 (/dev/ttyUSB6): silent at 4800,n,8,1; the adapter echoes every "
                         "frame, which the tool sets aside"));
        const QString hint = HintText(diagnosis, names, 0);
        QVERIFY2(hint.startsWith("The adapter at COM6 (/dev/ttyUSB6) echoes every frame") &&
                     hint.endsWith("Only 4800,n,8,1 was tried: try all line settings "
                                   "(--all-line-settings, or untick the lock in the window)"),
                 qPrintable(hint));
        scan.ports = {Port(6, F::Free, {Silent})};
        QVERIFY(!PortLine(Diagnose(scan).ports[0], names, 0).contains("echo"));
    }
};

QTEST_GUILESS_MAIN(ScanDiagnosisTest)
#include "tst_scan_diagnosis.moc"
