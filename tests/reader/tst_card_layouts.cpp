// A tag number in the 26-bit and 34-bit Wiegand layouts, as a controller shows it.
#include <QTest>

#include "CardLayouts.h"

class CardLayoutsTest : public QObject {
    Q_OBJECT

  private slots:
    void layouts_data() {
        QTest::addColumn<QByteArray>("hex");
        QTest::addColumn<qint32>("number");
        QTest::addColumn<QString>("wiegand26");
        QTest::addColumn<QString>("wiegand34");
        // The top byte is outside the 26-bit layout; the sign of the decimal form is not a bit.
        QTest::newRow("facility 77") << QByteArray("004D7603") << 0x004D7603 << "077,30211"
                                     << "00077,30211";
        QTest::newRow("top byte set") << QByteArray("AB4D7603") << qint32(0xAB4D7603) << "077,30211"
                                      << "43853,30211";
        QTest::newRow("all ones") << QByteArray("FFFFFFFF") << -1 << "255,65535"
                                  << "65535,65535";
        QTest::newRow("zero") << QByteArray("00000000") << 0 << "000,00000"
                              << "00000,00000";
    }
    void layouts() {
        QFETCH(QByteArray, hex);
        QFETCH(qint32, number);
        QFETCH(QString, wiegand26);
        QFETCH(QString, wiegand34);
        const CardLayouts layouts = CardLayoutsOf(Tag{hex, number});
        QCOMPARE(Wiegand26Text(layouts), wiegand26);
        QCOMPARE(Wiegand34Text(layouts), wiegand34);
    }
};

QTEST_MAIN(CardLayoutsTest)
#include "tst_card_layouts.moc"
