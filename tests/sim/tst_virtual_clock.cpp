#include <QtTest>

#include "VirtualClock.h"

// Scheduled actions run in time order, at their own time, as the clock passes them.
class VirtualClockTest : public QObject {
    Q_OBJECT

  private slots:
    void actionsRunInTimeOrderAtTheirTime() {
        VirtualClock clock(1000);
        QList<QPair<int, quint64>> runs;
        clock.At(5000, [&] { runs.append({2, clock.NowUs()}); });
        clock.At(3000, [&] { runs.append({1, clock.NowUs()}); });
        clock.At(5000, [&] { runs.append({3, clock.NowUs()}); });  // same time: scheduling order
        clock.At(9000, [&] { runs.append({4, clock.NowUs()}); });

        clock.AdvanceUs(4000);  // to 5000: the action at 9000 is not due
        QCOMPARE(runs, (QList<QPair<int, quint64>>{{1, 3000}, {2, 5000}, {3, 5000}}));
        QCOMPARE(clock.NowUs(), quint64(5000));
        clock.SleepMs(4);
        QCOMPARE(runs.size(), 4);
        QCOMPARE(runs.last(), (QPair<int, quint64>{4, 9000}));
        QCOMPARE(clock.NowMs(), quint32(9));
    }

    void anActionMayScheduleMoreWithinTheSameStep() {
        VirtualClock clock;
        QList<quint64> runs;
        clock.AfterMs(1, [&] {
            runs << clock.NowUs();
            clock.AfterMs(1, [&] { runs << clock.NowUs(); });   // at 2 ms, inside the step
            clock.AfterMs(50, [&] { runs << clock.NowUs(); });  // beyond it
        });
        clock.SleepMs(10);
        QCOMPARE(runs, (QList<quint64>{1000, 2000}));
        QCOMPARE(clock.NowUs(), quint64(10000));
        clock.SleepMs(50);
        QCOMPARE(runs, (QList<quint64>{1000, 2000, 51000}));
    }

    void anActionMaySleepOnTheClockItself() {
        // A click handler that runs during a wait and sleeps itself, as the tone does.
        VirtualClock clock;
        QList<QPair<char, quint64>> runs;
        clock.At(2000, [&] {
            runs.append({'a', clock.NowUs()});
            clock.SleepMs(5);  // runs the action at 4000 inside, and goes past the outer step
            runs.append({'b', clock.NowUs()});
        });
        clock.At(4000, [&] { runs.append({'c', clock.NowUs()}); });
        clock.At(6500, [&] { runs.append({'d', clock.NowUs()}); });

        clock.SleepMs(3);
        // The nested sleep went beyond the outer step: the action at 6500 ran inside it, and
        // the clock does not go back to 3 ms afterwards.
        QCOMPARE(runs,
                 (QList<QPair<char, quint64>>{{'a', 2000}, {'c', 4000}, {'d', 6500}, {'b', 7000}}));
        QCOMPARE(clock.NowUs(), quint64(7000));
        clock.AdvanceUs(0);
        QCOMPARE(runs.size(), 4);
    }

    void anActionInThePastRunsAtTheNextStep() {
        VirtualClock clock(10000);
        int runs = 0;
        clock.At(500, [&] { ++runs; });
        QCOMPARE(runs, 0);
        clock.AdvanceUs(0);
        QCOMPARE(runs, 1);
        QCOMPARE(clock.NowUs(), quint64(10000));  // time does not go backwards
    }

    void theMillisecondCounterWrapsLikeTheSystemsOwn() {
        VirtualClock clock((quint64(1) << 32) * 1000 - 5000);  // 5 ms before the wrap
        const quint32 start = clock.NowMs();
        clock.SleepMs(10);
        QCOMPARE(quint32(clock.NowMs() - start), quint32(10));
        QVERIFY(clock.NowMs() < start);
    }
};

QTEST_APPLESS_MAIN(VirtualClockTest)
#include "tst_virtual_clock.moc"
