// A port's line and object, as `ports` lists it and `ports --watch` reports it.
#include <QtTest>

#include "PortEntryText.h"

namespace {

const QDateTime At(QDate(2026, 12, 10), QTime(8, 15, 2, 417), Qt::OffsetFromUTC, 3600);

// COM14 through a link that is no longer there: only what the look saw tells where it led.
PortEntry Com14(const QString& target) {
    PortEntry entry;
    entry.comNumber = 14;
    entry.device = entry.link = "/nonexistent/ports/COM14";
    entry.linkTarget = entry.target = target;
    entry.state = PortState::Free;
    return entry;
}

}  // namespace

class PortEntryTextTest : public QObject {
    Q_OBJECT
  private slots:
    void aChange_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("line");
        QTest::newRow("went: where its link led then, though the link is gone")
            << int(PortChange::Kind::Gone) << "/dev/pts/4"
            << "08:15:02  gone      COM14 /nonexistent/ports/COM14 -> /dev/pts/4  free";
        QTest::newRow("appeared: a control character of a name is spelled out")
            << int(PortChange::Kind::Appeared) << "/tmp/a\x1b[2Jb"
            << "08:15:02  appeared  COM14 /nonexistent/ports/COM14 -> /tmp/a\\e[2Jb  free";
    }
    void aChange() {
        QFETCH(int, kind);
        QFETCH(QString, target);
        QFETCH(QString, line);
        const PortChange change{PortChange::Kind(kind), Com14(target)};
        QCOMPARE(PortChangeLine(change, At), line);

        // The object of `ports`, with the event and its time.
        QJsonObject object = PortChangeObject(change, At);
        QCOMPARE(object.take("event").toString(), PortChangeName(change.kind));
        QCOMPARE(object.take("time").toString(), QString("2026-12-10T08:15:02.417+01:00"));
        QCOMPARE(object.take("text").toString(), line);
        QJsonObject listed = PortEntryObject(change.entry);
        listed.remove("text");
        QCOMPARE(object, listed);
        QCOMPARE(object.value("link").toString(), target);  // the name itself, for scripts
    }

    // The command that assigns a device stands on a line of its own: a line feed inside a line
    // would be spelled out, not obeyed.
    void anUnreachedDeviceAndItsCommandAreTwoLines() {
        PortEntry entry;
        entry.device = "/dev/ttyUSB3";
        entry.state = PortState::Free;
        const QStringList lines = UnreachedEntryLines(entry, 2, "ln -sfn /dev/ttyUSB3 ports/COM2");
        QCOMPARE(lines, (QStringList{"  /dev/ttyUSB3  free",
                                     "    as COM2: ln -sfn /dev/ttyUSB3 ports/COM2"}));
        QCOMPARE(UnreachedEntryLines(entry, 0, {}).size(), 1);
    }
};

QTEST_GUILESS_MAIN(PortEntryTextTest)
#include "tst_port_entry_text.moc"
