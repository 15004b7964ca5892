// What appeared and what went between two looks at the ports.
#include <QtTest>

#include "PortChanges.h"

namespace {

PortEntry Com(int comNumber, const QString& target, PortState state = PortState::Free) {
    PortEntry entry;
    entry.comNumber = comNumber;
    entry.device = QStringLiteral("/var/lib/vq880/ports/COM%1").arg(comNumber);
    entry.link = entry.device;
    entry.target = state == PortState::MissingTarget ? QString() : target;
    entry.state = state;
    return entry;
}

PortEntry Absent(int comNumber) {
    PortEntry entry;
    entry.comNumber = comNumber;
    entry.device = QStringLiteral("/dev/ttyS%1").arg(comNumber - 1);
    return entry;
}

PortEntry Unreached(const QString& target) {
    PortEntry entry;
    entry.device = entry.target = target;
    entry.state = PortState::Free;
    return entry;
}

PortInventory Ports(std::vector<PortEntry> comPorts, std::vector<PortEntry> unreached = {}) {
    return {std::move(comPorts), std::move(unreached), QString()};
}

// Each change as "appeared COM3 /dev/pts/4", "gone /dev/ttyUSB1".
QStringList Texts(const std::vector<PortChange>& changes) {
    QStringList texts;
    for (const PortChange& change : changes) {
        const PortEntry& e = change.entry;
        texts << PortChangeName(change.kind) + ' ' +
                     (e.comNumber > 0 ? QStringLiteral("COM%1 ").arg(e.comNumber) : QString()) +
                     e.target;
    }
    return texts;
}

}  // namespace

Q_DECLARE_METATYPE(PortInventory)

class PortChangesTest : public QObject {
    Q_OBJECT
  private slots:
    void changes_data() {
        QTest::addColumn<PortInventory>("before");
        QTest::addColumn<PortInventory>("after");
        QTest::addColumn<QStringList>("changes");
        const QString pts4 = "/dev/pts/4", pts7 = "/dev/pts/7", usb1 = "/dev/ttyUSB1";

        QTest::newRow("nothing changed: nothing")
            << Ports({Com(3, pts4)}, {Unreached(usb1)}) << Ports({Com(3, pts4)}, {Unreached(usb1)})
            << QStringList();
        QTest::newRow("a COM link to a device is made: it appeared")
            << Ports({Absent(3)}) << Ports({Com(3, pts4)}) << QStringList{"appeared COM3 " + pts4};
        QTest::newRow("the COM link goes: it went, as it was")
            << Ports({Com(3, pts4)}) << Ports({Absent(3)}) << QStringList{"gone COM3 " + pts4};
        QTest::newRow("the device behind the link goes, the link stays: it went")
            << Ports({Com(3, pts4)}) << Ports({Com(3, pts4, PortState::MissingTarget)})
            << QStringList{"gone COM3 " + pts4};
        QTest::newRow("the COM number leads to another device: went, then appeared")
            << Ports({Com(3, pts4)}) << Ports({Com(3, pts7)})
            << QStringList{"gone COM3 " + pts4, "appeared COM3 " + pts7};
        QTest::newRow("only its state changed (now in use): nothing")
            << Ports({Com(3, pts4)}) << Ports({Com(3, pts4, PortState::InUse)}) << QStringList();
        QTest::newRow("an adapter that no COM number reaches comes and goes")
            << Ports({Absent(3)}, {Unreached(usb1)}) << Ports({Absent(3)}, {Unreached(pts7)})
            << QStringList{"gone " + usb1, "appeared " + pts7};
        QTest::newRow("a COM number comes to reach a device: the COM number alone appeared")
            << Ports({Absent(3)}, {Unreached(usb1)}) << Ports({Com(3, usb1)})
            << QStringList{"appeared COM3 " + usb1};
        QTest::newRow("it no longer reaches it: the COM number alone went")
            << Ports({Com(3, usb1)}) << Ports({Absent(3)}, {Unreached(usb1)})
            << QStringList{"gone COM3 " + usb1};
    }
    void changes() {
        QFETCH(PortInventory, before);
        QFETCH(PortInventory, after);
        QFETCH(QStringList, changes);
        QCOMPARE(Texts(PortChanges(before, after)), changes);
    }
};

QTEST_GUILESS_MAIN(PortChangesTest)
#include "tst_port_changes.moc"
