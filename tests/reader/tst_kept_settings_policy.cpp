// From the values a store read to the kept values: one table for the Linux file and the
// Windows registry alike.
#include <QtTest>

#include "KeptSettingsPolicy.h"

Q_DECLARE_METATYPE(RawKeptSettings)
Q_DECLARE_METATYPE(KeptSettings)

namespace {

using V = RawKeptValue;

// What the context held before the load: none of it a default.
const KeptSettings Before{9, "4800,n,8,1", 0, "GB"};

KeptSettings Kept(int comm, const QString& line, int index, const QString& language) {
    return KeptSettings{comm, line, index, language};
}

}  // namespace

class KeptSettingsPolicyTest : public QObject {
    Q_OBJECT
  private slots:
    void keptValues_data();
    void keptValues();
};

void KeptSettingsPolicyTest::keptValues_data() {
    QTest::addColumn<RawKeptSettings>("raw");
    QTest::addColumn<KeptSettings>("kept");
    const V comm = V::Integer(3), line = V::Text("57600,n,8,1"), index = V::Integer(8),
            language = V::Text("BIG5");
    QTest::newRow("nothing stored: every default")
        << RawKeptSettings{} << Kept(0, "19200,e,8,1", 5, "English");
    QTest::newRow("all four stored")
        << RawKeptSettings{comm, line, index, language} << Kept(3, "57600,n,8,1", 8, "BIG5");
    QTest::newRow("the port of the wrong type ends the loading at once")
        << RawKeptSettings{V::Text("3"), line, index, language} << Before;
    QTest::newRow("the line of the wrong type: only the port taken")
        << RawKeptSettings{comm, V::Integer(8), index, language} << Kept(3, "4800,n,8,1", 0, "GB");
    QTest::newRow("the index of the wrong type: port and line taken")
        << RawKeptSettings{comm, line, V::Other(), language} << Kept(3, "57600,n,8,1", 0, "GB");
    QTest::newRow("the language of the wrong type: the other three taken")
        << RawKeptSettings{comm, line, index, V::Integer(1)} << Kept(3, "57600,n,8,1", 8, "GB");
    QTest::newRow("the last row of the table is an index like any other")
        << RawKeptSettings{comm, line, V::Integer(11), language}
        << Kept(3, "57600,n,8,1", 11, "BIG5");
    QTest::newRow("an index past the table: the line's own index")
        << RawKeptSettings{comm, line, V::Integer(12), language}
        << Kept(3, "57600,n,8,1", 8, "BIG5");
    QTest::newRow("a negative index and a line not in the table: the default index")
        << RawKeptSettings{comm, V::Text("38400,o,8,1"), V::Integer(-1), language}
        << Kept(3, "38400,o,8,1", 5, "BIG5");
    QTest::newRow("no index stored: the default, whatever the line")
        << RawKeptSettings{comm, line, V(), language} << Kept(3, "57600,n,8,1", 5, "BIG5");
}

void KeptSettingsPolicyTest::keptValues() {
    QFETCH(RawKeptSettings, raw);
    QFETCH(KeptSettings, kept);
    KeptSettings settings = Before;
    ApplyKeptValues(raw, settings);
    QCOMPARE(settings.ScanCommNo, kept.ScanCommNo);
    QCOMPARE(settings.ScanBaudRate, kept.ScanBaudRate);
    QCOMPARE(settings.ScanBaudRateNo, kept.ScanBaudRateNo);
    QCOMPARE(settings.LanguageFlag, kept.LanguageFlag);
}

QTEST_APPLESS_MAIN(KeptSettingsPolicyTest)
#include "tst_kept_settings_policy.moc"
