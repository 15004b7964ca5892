// The text of the settings file on its own, without a folder: what a hand-edited or torn text
// gives when it is read, and the exact bytes a save leaves. The store's own test holds what
// goes through the file (types, the order of loading, the folder, the bound).
#include <QtTest>

#include "SettingsFileFormat.h"

Q_DECLARE_METATYPE(std::optional<QByteArray>)
Q_DECLARE_METATYPE(NamedValues)

namespace {

// A value as a row writes it: "missing", "other", "int 3", "text 9600,n,8,1".
QString Described(const RawKeptValue& value) {
    switch (value.type) {
        case RawKeptValue::Type::Missing:
            return "missing";
        case RawKeptValue::Type::Integer:
            return QString("int %1").arg(value.integer);
        case RawKeptValue::Type::Text:
            return "text " + value.text;
        case RawKeptValue::Type::Other:
            break;
    }
    return "other";
}

QStringList Described(const RawKeptSettings& raw) {
    return {Described(raw.ScanCommNo), Described(raw.ScanBaudRate), Described(raw.ScanBaudRateNo),
            Described(raw.LanguageFlag)};
}

const QByteArray Header =
    "; Kept settings of the reader configuration tool, one \"name\"=value a line\n";

}  // namespace

class SettingsFileFormatTest : public QObject {
    Q_OBJECT
  private slots:
    void read_data();
    void read();
    void write_data();
    void write();
};

void SettingsFileFormatTest::read_data() {
    QTest::addColumn<QByteArray>("text");
    // ScanCommNo, ScanBaudRate, ScanBaudRateNo, LanguageFlag as read.
    QTest::addColumn<QStringList>("values");
    const auto row = [](const char* name, const QByteArray& text, const QString& comm,
                        const QString& line = "missing", const QString& index = "missing",
                        const QString& language = "missing") {
        QTest::newRow(name) << text << QStringList{comm, line, index, language};
    };
    row("the last line of a name wins, as in a registry import",
        "\"ScanCommNo\"=dword:00000001\n\"ScanCommNo\"=dword:00000002\n", "int 2");
    row("a last line without its line end is read",
        "\"ScanCommNo\"=dword:00000003\n\"LanguageFlag\"=\"ChineseGB\"", "int 3", "missing",
        "missing", "text ChineseGB");
    row("a line cut inside its name is no value", "\"ScanCommNo\"=dword:00000003\n\"ScanBau",
        "int 3");
    row("a file of zero bytes, as a crash can leave one", QByteArray(120, '\0'), "missing");
    row("values before a run of zero bytes are read",
        "\"ScanCommNo\"=dword:00000003\n" + QByteArray(60, '\0'), "int 3");
    row("a byte order mark before the first line", "\xEF\xBB\xBF\"ScanCommNo\"=dword:00000003\n",
        "int 3");
    row("blanks around the line and its equals sign",
        "  \"ScanCommNo\" =  dword:00000003 \t\n\t\"ScanBaudRate\"= \"9600,n,8,1\"  \n", "int 3",
        "text 9600,n,8,1");
    row("dword and its digits in capitals", "\"ScanCommNo\"=DWORD:0000000A\n", "int 10");
    row("dword:ffffffff is minus one", "\"ScanBaudRateNo\"=dword:ffffffff\n", "missing", "missing",
        "int -1");
    row("nine digits are another type", "\"ScanCommNo\"=dword:000000003\n", "other");
    row("a dword without digits is another type", "\"ScanCommNo\"=dword:\n", "other");
    row("a sign before the digits is another type", "\"ScanCommNo\"=dword:+0000003\n", "other");
    row("a name with nothing after its equals sign is another type", "\"ScanCommNo\"=\n", "other");
    row("a name without an equals sign is no value", "\"ScanCommNo\"\n", "missing");
    row("a name without its quotes is no value", "ScanCommNo=dword:00000003\n", "missing");
    row("a value line behind a semicolon is a comment", "; \"ScanCommNo\"=dword:00000003\n",
        "missing");
    row("a text with more after its closing quote is another type",
        "\"LanguageFlag\"=\"English\" x\n", "missing", "missing", "missing", "other");
    row("escaped line breaks in a text are read as line breaks", "\"LanguageFlag\"=\"a\\nb\\rc\"\n",
        "missing", "missing", "missing", "text a\nb\rc");
    row("a backslash at the end of a text leaves it open", "\"LanguageFlag\"=\"abc\\\"\n",
        "missing", "missing", "missing", "other");
    row("binary data is another type", "\"ScanBaudRate\"=hex:39,36,30,30\n", "missing", "other");
    row("an expandable text without its closing zero", "\"LanguageFlag\"=hex(2):41,00,42,00\n",
        "missing", "missing", "missing", "text AB");
    row("an expandable text of an odd byte count is another type",
        "\"LanguageFlag\"=hex(2):41,00,42\n", "missing", "missing", "missing", "other");
    row("an expandable text with a byte that is no hexadecimal is another type",
        "\"LanguageFlag\"=hex(2):41,00,4g,00\n", "missing", "missing", "missing", "other");
}

void SettingsFileFormatTest::read() {
    QFETCH(QByteArray, text);
    QFETCH(QStringList, values);
    QCOMPARE(Described(ReadKeptValues(text)), values);
}

void SettingsFileFormatTest::write_data() {
    QTest::addColumn<std::optional<QByteArray>>("before");  // nothing: no file, or none of ours
    QTest::addColumn<NamedValues>("values");
    QTest::addColumn<QByteArray>("after");
    const NamedValues scan = {{"ScanCommNo", StoredValue::Integer(3)},
                              {"ScanBaudRateNo", StoredValue::Integer(5)},
                              {"ScanBaudRate", StoredValue::Text("19200,e,8,1")}};
    const NamedValues comm = {{"ScanCommNo", StoredValue::Integer(4)}};
    const auto language = [](const QString& flag) {
        return NamedValues{{"LanguageFlag", StoredValue::Text(flag)}};
    };
    QTest::newRow("no file: the header, then the values in the order written")
        << std::optional<QByteArray>() << scan
        << Header +
               "\"ScanCommNo\"=dword:00000003\n\"ScanBaudRateNo\"=dword:00000005\n"
               "\"ScanBaudRate\"=\"19200,e,8,1\"\n";
    QTest::newRow("an empty file gains the values without a header")
        << std::optional<QByteArray>("") << language("English")
        << QByteArray("\"LanguageFlag\"=\"English\"\n");
    QTest::newRow("a last line without its end is ended before the values appended")
        << std::optional<QByteArray>("; by hand\n\"LanguageFlag\"=\"English\"") << comm
        << QByteArray("; by hand\n\"LanguageFlag\"=\"English\"\n\"ScanCommNo\"=dword:00000004\n");
    QTest::newRow("lines appended end as the file's first line does")
        << std::optional<QByteArray>("\"LanguageFlag\"=\"English\"\r\n") << comm
        << QByteArray("\"LanguageFlag\"=\"English\"\r\n\"ScanCommNo\"=dword:00000004\r\n");
    QTest::newRow("a name in other letters is replaced in place, in the store's spelling")
        << std::optional<QByteArray>("; a\n\"scancommno\"=dword:00000001\n; b\n") << comm
        << QByteArray("; a\n\"ScanCommNo\"=dword:00000004\n; b\n");
    QTest::newRow("a negative integer is written as its 32 bits")
        << std::optional<QByteArray>("") << NamedValues{{"ScanCommNo", StoredValue::Integer(-1)}}
        << QByteArray("\"ScanCommNo\"=dword:ffffffff\n");
    QTest::newRow("quotes, backslashes and line breaks are escaped")
        << std::optional<QByteArray>("") << language("a\"b\\c\nd\re")
        << QByteArray("\"LanguageFlag\"=\"a\\\"b\\\\c\\nd\\re\"\n");
    QTest::newRow("a text that is not ASCII is written in UTF-8")
        << std::optional<QByteArray>("") << language(QString::fromUtf8("简体"))
        << QByteArray("\"LanguageFlag\"=\"\xE7\xAE\x80\xE4\xBD\x93\"\n");
}

// The bytes a save leaves, and that they read back as the values written.
void SettingsFileFormatTest::write() {
    QFETCH(std::optional<QByteArray>, before);
    QFETCH(NamedValues, values);
    QFETCH(QByteArray, after);

    const QByteArray written = WithValuesReplaced(before, values);

    QCOMPARE(written, after);
    const QStringList read = Described(ReadKeptValues(written));
    const QStringList names = {"ScanCommNo", "ScanBaudRate", "ScanBaudRateNo", "LanguageFlag"};
    for (const auto& [name, value] : values) {
        const QString expected = value.type == StoredValue::Type::Integer
                                     ? QString("int %1").arg(value.integer)
                                     : "text " + value.text;
        QCOMPARE(read[names.indexOf(name)], expected);
    }
}

QTEST_GUILESS_MAIN(SettingsFileFormatTest)
#include "tst_settings_file_format.moc"
