#include <QtTest>

#include "DeviceIdentifiers.h"

// What Windows tells of an adapter, parsed from strings and values recorded from real ones.
class DeviceIdentifiersTest : public QObject {
    Q_OBJECT
  private slots:
    void instanceIds_data() {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("vendor");
        QTest::addColumn<QString>("product");
        QTest::addColumn<QString>("serial");
        QTest::newRow("CP2102 with its serial number") << R"(USB\VID_10C4&PID_EA60\0001)"
                                                       << "10c4"
                                                       << "ea60"
                                                       << "0001";
        QTest::newRow("CH340: the last part made up by Windows")
            << R"(USB\VID_1A86&PID_7523\5&2A3B&0&2)"
            << "1a86"
            << "7523"
            << "";
        QTest::newRow("FTDI's driver: the serial number without the port's letter")
            << R"(FTDIBUS\VID_0403+PID_6001+A50285BIA\0000)"
            << "0403"
            << "6001"
            << "A50285BI";
        QTest::newRow("FTDI's dual chip, port B") << R"(FTDIBUS\VID_0403+PID_6010+FT4ZK9P1B\0000)"
                                                  << "0403"
                                                  << "6010"
                                                  << "FT4ZK9P1";
        QTest::newRow("one interface of a composite device")
            << R"(USB\VID_0403&PID_6010&MI_01\7&1F2E3D4C&0&0001)"
            << "0403"
            << "6010"
            << "";
        QTest::newRow("lower-case ids") << R"(usb\vid_067b&pid_2303\6&abc)"
                                        << "067b"
                                        << "2303"
                                        << "";
        QTest::newRow("a serial port on the board") << R"(ACPI\PNP0501\1)"
                                                    << ""
                                                    << ""
                                                    << "";
        QTest::newRow("nothing") << ""
                                 << ""
                                 << ""
                                 << "";
    }
    void instanceIds() {
        QFETCH(QString, id);
        QFETCH(QString, vendor);
        QFETCH(QString, product);
        QFETCH(QString, serial);
        const PortIdentity identity = IdentityFromInstanceId(id);
        QCOMPARE(identity.vendorId, vendor);
        QCOMPARE(identity.productId, product);
        QCOMPARE(identity.serialNumber, serial);
    }

    void latencyTimerValues_data() {
        QTest::addColumn<quint32>("type");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("ms");
        QTest::newRow("the driver's 16 ms")
            << RegistryDword << QByteArray::fromHex("10000000") << 16;
        QTest::newRow("set to 1 ms") << RegistryDword << QByteArray::fromHex("01000000") << 1;
        QTest::newRow("255 ms, the most")
            << RegistryDword << QByteArray::fromHex("ff000000") << 255;
        QTest::newRow("0 is none") << RegistryDword << QByteArray::fromHex("00000000") << 0;
        QTest::newRow("256 is none") << RegistryDword << QByteArray::fromHex("00010000") << 0;
        QTest::newRow("a text is none") << 1u << QByteArray("1\0\0\0", 4) << 0;
        QTest::newRow("two bytes are none") << RegistryDword << QByteArray::fromHex("1000") << 0;
    }
    void latencyTimerValues() {
        QFETCH(quint32, type);
        QFETCH(QByteArray, data);
        QFETCH(int, ms);
        QCOMPARE(LatencyTimerFromValue(type, data), ms);
    }
};

QTEST_GUILESS_MAIN(DeviceIdentifiersTest)
#include "tst_device_identifiers.moc"
