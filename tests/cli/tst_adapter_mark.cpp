// Following an adapter by what it is: its mark taken from the ports as they were, and where the
// ports as they are now have it. Pure functions of two inventories.
#include <QTest>

#include "AdapterMark.h"

namespace {

const QString ById = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";

// A port with a device there, and the adapter behind it as the system tells it.
PortEntry Entry(int comNumber, const QString& device, const QString& byId,
                const QString& serial = {}, const QString& vendor = "0403") {
    PortEntry entry;
    entry.comNumber = comNumber;
    entry.device = device;
    entry.target = device;
    entry.state = PortState::Free;
    entry.identity.byId = byId;
    entry.identity.serialNumber = serial;
    entry.identity.vendorId = vendor;
    entry.identity.productId = "6001";
    return entry;
}

PortInventory Inventory(const std::vector<PortEntry>& comPorts,
                        const std::vector<PortEntry>& unreached = {}) {
    PortInventory inventory;
    inventory.comPorts = comPorts;
    inventory.unreached = unreached;
    return inventory;
}

}  // namespace

class AdapterMarkTest : public QObject {
    Q_OBJECT

  private slots:
    void foundAgain_data() {
        QTest::addColumn<PortInventory>("before");  // when the run began at /dev/ttyUSB0
        QTest::addColumn<PortInventory>("now");
        QTest::addColumn<QString>("device");  // to open; empty while it is not back

        const PortInventory byName = Inventory({Entry(5, "/dev/ttyUSB0", ById, "A50285BI")});
        QTest::newRow("by its stable name, back under another device name")
            << byName << Inventory({Entry(6, "/dev/ttyUSB1", ById, "A50285BI")}) << ById;
        QTest::newRow("by its stable name: another adapter at its old device is not it")
            << byName << Inventory({Entry(5, "/dev/ttyUSB0", ById + "x", "OTHER001")}) << QString();

        const PortInventory bySerial = Inventory({Entry(5, "/dev/ttyUSB0", {}, "A50285BI")});
        QTest::newRow("by its USB serial number, back where no COM number reaches")
            << bySerial << Inventory({}, {Entry(0, "/dev/ttyUSB9", {}, "A50285BI")})
            << "/dev/ttyUSB9";
        QTest::newRow("by its USB serial number: the same number from another maker is not it")
            << bySerial << Inventory({Entry(5, "/dev/ttyUSB0", {}, "A50285BI", "1a86")})
            << QString();

        QTest::newRow("by its path alone: what comes back there")
            << Inventory({Entry(5, "/dev/ttyUSB0", {})}) << Inventory({}) << "/dev/ttyUSB0";
    }
    void foundAgain() {
        QFETCH(PortInventory, before);
        QFETCH(PortInventory, now);
        QFETCH(QString, device);
        QCOMPARE(FindAdapter(MarkOf(before, "/dev/ttyUSB0"), now), device);
    }
};

QTEST_MAIN(AdapterMarkTest)
#include "tst_adapter_mark.moc"
