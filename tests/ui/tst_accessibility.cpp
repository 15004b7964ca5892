// The window as assistive technology is given it through Qt's accessibility interface: what can
// be reached, by which name in each language, and what the indicators say. What is announced
// needs a live accessibility bus: atspi_tree.py.
#include <QAccessible>
#include <QSet>
#include <QTest>

#include "FormHarness.h"

namespace {

// Every object of the accessible tree below the window's own.
void Collect(QAccessibleInterface* node, QList<QAccessibleInterface*>& into) {
    for (int i = 0; i < node->childCount(); ++i) {
        if (QAccessibleInterface* child = node->child(i)) {
            into << child;
            Collect(child, into);
        }
    }
}

QList<QAccessibleInterface*> Tree(QWidget& window) {
    QList<QAccessibleInterface*> nodes;
    Collect(QAccessible::queryAccessibleInterface(&window), nodes);
    return nodes;
}

QString NameOf(QWidget* widget) {
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
}
QString DescriptionOf(QWidget* widget) {
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Description);
}

}  // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

  private slots:
    void groupBox1IsNotPresented();
    void reachableControlsAreNamedInEachLanguage_data();
    void reachableControlsAreNamedInEachLanguage();
    void indicatorsSayWhatTheirColourSays();
};

void AccessibilityTest::groupBox1IsNotPresented() {
    FormHarness h;
    QWidget* groupBox1 = Ui(h.form()).GroupBox1;
    const QList<QAccessibleInterface*> tree = Tree(h.form());
    QVERIFY(tree.size() > 30);
    for (QAccessibleInterface* node : tree) {
        auto* widget = qobject_cast<QWidget*>(node->object());
        if (!widget) continue;
        QVERIFY2(widget != groupBox1 && !groupBox1->isAncestorOf(widget),
                 qPrintable(widget->objectName()));
    }
}

void AccessibilityTest::reachableControlsAreNamedInEachLanguage_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("rssiName");
    QTest::addColumn<QString>("simplifiedName");
    QTest::addColumn<QString>("noNcName");
    QTest::newRow("English") << "btnEng"
                             << "RSSI level"
                             << "Simplified Chinese"
                             << "Digital input DI NO/NC";
    QTest::newRow("Simplified Chinese") << "btnGB"
                                        << "RSSI 等级"
                                        << "简体中文"
                                        << "数字输入 DI NO/NC";
    QTest::newRow("Traditional Chinese") << "btnBIG5"
                                         << "RSSI 等級"
                                         << "簡體中文"
                                         << "數位輸入 DI NO/NC";
}

void AccessibilityTest::reachableControlsAreNamedInEachLanguage() {
    QFETCH(QString, button);
    QFETCH(QString, rssiName);
    QFETCH(QString, simplifiedName);
    QFETCH(QString, noNcName);
    FormHarness h;
    h.form().findChild<QPushButton*>(button)->click();
    const WindowControls ui = Ui(h.form());

    QSet<QString> scrollBarNames;
    for (QAccessibleInterface* node : Tree(h.form())) {
        auto* widget = qobject_cast<QWidget*>(node->object());
        if (!widget || !widget->isVisible() || !(widget->focusPolicy() & Qt::TabFocus)) continue;
        QVERIFY2(!node->text(QAccessible::Name).isEmpty(),
                 qPrintable(widget->objectName() + " " + widget->metaObject()->className()));
        if (node->role() == QAccessible::ScrollBar) scrollBarNames << node->text(QAccessible::Name);
    }
    // A group that holds controls the operator reaches says what they are for.
    for (QAccessibleInterface* node : Tree(h.form())) {
        auto* widget = qobject_cast<QWidget*>(node->object());
        if (widget && widget->isVisible() && node->role() == QAccessible::Grouping)
            QVERIFY2(!node->text(QAccessible::Name).isEmpty(), qPrintable(widget->objectName()));
    }
    QCOMPARE(NameOf(ui.gbNoNc), noNcName);
    QCOMPARE(scrollBarNames.size(), 3);
    QCOMPARE(NameOf(ui.sbRSSI), rssiName);
    QCOMPARE(NameOf(ui.btnGB), simplifiedName);
    QCOMPARE(NameOf(ui.pnMsg), ui.pnMsg->caption());
    for (QWidget* shape : {static_cast<QWidget*>(ui.shComm), static_cast<QWidget*>(ui.shCard)}) {
        QCOMPARE(QAccessible::queryAccessibleInterface(shape)->role(), QAccessible::StatusBar);
        QVERIFY(!NameOf(shape).isEmpty());
    }
}

void AccessibilityTest::indicatorsSayWhatTheirColourSays() {
    FormHarness h({.tags = {0x00123456}});
    const WindowControls ui = Ui(h.form());
    QCOMPARE(DescriptionOf(ui.shComm), QString("No reader found"));
    QString duringScan;
    h.clock.AfterMs(50, [&] { duringScan = DescriptionOf(ui.shComm); });
    QVERIFY(h.FindReader());
    QCOMPARE(duringScan, QString("Busy"));
    QCOMPARE(DescriptionOf(ui.shComm), QString("Reader found"));
    QCOMPARE(DescriptionOf(ui.shCard), QString("No tag"));
    QString afterTag;
    h.clock.AfterMs(400, [&] { afterTag = DescriptionOf(ui.shCard); });
    h.ReadTagsFor(600);
    QCOMPARE(afterTag, QString("Tag read"));
}

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
