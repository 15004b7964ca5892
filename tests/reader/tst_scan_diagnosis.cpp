#include <QRegularExpression>
#include <QtTest>

#include "DiagnosisTexts.h"
#include "ScanDiagnosis.h"
#include "TextTable.h"

namespace {

// One port of a scan, written short: how it opened, then the verdicts at each line setting.
PortTry Port(int com, OpenFailure failure, QList<QList<ReplyVerdict>> lines = {},
             QString holder = {}) {
    PortTry port;
    port.comNumber = com;
    port.open = failure == OpenFailure::None ? OpenResult::Opened(7) : OpenResult::Failed(failure);
    port.open.device = QStringLiteral("/dev/ttyUSB%1").arg(com);
    if (!holder.isEmpty()) port.open.holderPid = 812, port.open.holderName = holder;
    if (failure == OpenFailure::NoPermission) port.open.group = QStringLiteral("dialout");
    for (int i = 0; i < lines.size(); ++i) {
        port.lines.push_back({i, QString::fromLatin1(LineSettingTable[i]), {}});
        for (ReplyVerdict verdict : lines[i]) port.lines.back().replies.Count(verdict);
    }
    return port;
}

using V = ReplyVerdict;
using F = OpenFailure;
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
        row("one port opened, silent", {Port(1, F::NoDevice), Port(2, F::None, {Silent})},
            Cause::Silent, 0);
        row("a link to nothing beats a silent port",
            {Port(1, F::None, {Silent}), Port(3, F::MissingTarget)}, Cause::MissingTarget, 3);
        row("the braille service", {Port(1, F::None, {Silent}), Port(5, F::InUse, {}, "brltty")},
            Cause::BrailleService, 5);
        row("the modem manager", {Port(5, F::InUse, {}, "ModemManager")}, Cause::ModemManager, 5);
        row("another program", {Port(5, F::InUse, {}, "minicom")}, Cause::HeldByProgram, 5);
        row("in use beats no permission", {Port(4, F::NoPermission), Port(5, F::InUse)},
            Cause::HeldByProgram, 5);
        row("no permission", {Port(4, F::NoPermission), Port(5, F::NoDevice)}, Cause::NoPermission,
            4);
        row("wrong check beats a held port",
            {Port(5, F::InUse, {}, "brltty"), Port(6, F::None, {{V::Nothing, V::WrongCheck}})},
            Cause::WrongCheck, 6);
        row("an echo", {Port(6, F::None, {{V::Echo, V::Echo}})}, Cause::Echo, 6);
        row("bytes without a frame at another line setting",
            {Port(6, F::None, {Silent, {V::Noise, V::Nothing}, Silent})}, Cause::Noise, 6);
        row("the port with more of the evidence",
            {Port(6, F::None, {{V::WrongCheck}}),
             Port(7, F::None, {{V::WrongCheck, V::WrongCheck}})},
            Cause::WrongCheck, 7);
        row("gone", {Port(6, F::None, {{V::PortGone}})}, Cause::Gone, 6);
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
        scan.ports = {Port(6, F::None, {{V::WrongCheck, V::Nothing}}), Port(1, F::NoDevice),
                      Port(6, F::None, {{V::WrongCheck}, Silent})};
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
              Port(5, F::InUse), Port(8, F::NotSerialDevice), Port(8, F::OtherError),
              Port(6, F::None, {{V::WrongCheck}}), Port(6, F::None, {{V::Echo}}),
              Port(6, F::None, {{V::WrongLength}}), Port(6, F::None, {{V::Noise}}),
              Port(6, F::None, {{V::PortGone}})}) {
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
                if (port.open.failure == F::NoPermission)
                    QVERIFY2(hint.contains("dialout") && line.contains("dialout"),
                             qPrintable(hint));
            }
        }
    }

    // A locked scan that heard nothing says which one line setting it tried.
    void silentAtOneLineSettingSaysSo() {
        ScanResult scan;
        scan.ports = {Port(1, F::None, {Silent}), Port(2, F::NoDevice)};
        const Diagnosis diagnosis = Diagnose(scan);
        QVERIFY(diagnosis.oneLineSetting);
        QVERIFY(HintText(diagnosis, PortNames(QString()), 0).contains("Only 4800,n,8,1 was tried"));
        scan.ports[0] = Port(1, F::None, {Silent, Silent});
        QVERIFY(!HintText(Diagnose(scan), PortNames(QString()), 0).contains("Only"));
    }
};

QTEST_GUILESS_MAIN(ScanDiagnosisTest)
#include "tst_scan_diagnosis.moc"
