// What a reading run's passes tell of its reader and port: a pure function of the passes and
// their times.
#include <QTest>

#include "ReadingRunWatch.h"

namespace {

QString Name(ReadingRunWatch::Event event) {
    switch (event) {
        case ReadingRunWatch::Event::PortGone:
            return "port-gone";
        case ReadingRunWatch::Event::PortBack:
            return "port-back";
        case ReadingRunWatch::Event::ReaderSilent:
            return "silent";
        case ReadingRunWatch::Event::ReaderBack:
            return "back";
    }
    return {};
}

}  // namespace

class ReadingRunWatchTest : public QObject {
    Q_OBJECT

  private slots:
    // Each pass as the milliseconds since the run began and what it got: t a tag, n the reply
    // that no tag is there, x no answer, g the port away; "+" first when the port opened again
    // at the pass's start. The events as "ms name".
    void events_data() {
        QTest::addColumn<QString>("passes");
        QTest::addColumn<QStringList>("events");
        QTest::newRow("answers, with or without a tag, say nothing")
            << "200t 400n 600t 900x 1500n" << QStringList{};
        QTest::newRow("silent once a second went by without an answer")
            << "200x 400x 800x 1000x 1200x" << QStringList{"1000 silent"};
        QTest::newRow("the second counts from the last answer")
            << "500t 1200x 1400x 1600x" << QStringList{"1600 silent"};
        QTest::newRow("silent once, back at the next answer")
            << "1000x 1200x 1400n 1600t" << QStringList{"1000 silent", "1400 back"};
        QTest::newRow("the port's loss once, its return with the pass that opens it")
            << "200t 400g 600g 800g 1000+t" << QStringList{"400 port-gone", "1000 port-back"};
        QTest::newRow("no silence while the port is away")
            << "200t 400g 1600g 3000g" << QStringList{"400 port-gone"};
        QTest::newRow("the reader's second starts again with the port")
            << "200t 400g 3000+x 3500x 3900x 4000x"
            << QStringList{"400 port-gone", "3000 port-back", "4000 silent"};
        QTest::newRow("a silent reader's port goes: the loss says it, the return starts afresh")
            << "1000x 1200g 1400+t"
            << QStringList{"1000 silent", "1200 port-gone", "1400 port-back"};
    }
    void events() {
        QFETCH(QString, passes);
        QFETCH(QStringList, events);
        ReadingRunWatch watch(0);
        QStringList told;
        for (QString token : passes.split(' ')) {
            ReadingPass pass;
            pass.portBack = token.contains('+');
            token.remove('+');
            const QChar code = token.back();
            const quint64 ms = token.chopped(1).toULongLong();
            pass.outcome = code == 't'   ? PassOutcome::TagRead
                           : code == 'n' ? PassOutcome::NoTag
                           : code == 'g' ? PassOutcome::PortGone
                                         : PassOutcome::NoAnswer;
            for (ReadingRunWatch::Event event : watch.Pass(pass, ms * 1000))
                told << QString::number(ms) + " " + Name(event);
        }
        QCOMPARE(told, events);
    }
};

QTEST_MAIN(ReadingRunWatchTest)
#include "tst_reading_run_watch.moc"
