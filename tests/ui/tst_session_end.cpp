// A desktop logout must not be held up by the window that refuses every other close request.
// On its own because the quit request ends the application's event loops for good.
#include <QTest>

#include "FormHarness.h"

class SessionEndTest : public QObject {
    Q_OBJECT

  private slots:
    // First: the run ends after its pass, with the port closed, instead of polling the reader
    // from a hidden window until the desktop kills the program.
    void quitRequestDuringAReadingRunEndsTheRun() {
        FormHarness h;
        TfrmModule& f = h.form();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QVERIFY(h.FindReader());
        quint64 quitUs = 0;
        h.clock.AfterMs(500, [&] {
            quitUs = h.clock.NowUs();
            QEvent quit(QEvent::Quit);
            QCoreApplication::sendEvent(QCoreApplication::instance(), &quit);
        });
        // Were the run to go on, this click would end it, far too late.
        h.clock.AfterMs(5000, [&] { Ui(f).btnReadCard->click(); });
        Ui(f).btnReadCard->click();  // returns when the run has ended
        QVERIFY(quitUs > 0);
        // The rest of a pass (80 ms of turns, the tag's 30 ms tone, the frames) and the 300 ms
        // tone of the run's end.
        QVERIFY2(h.clock.NowUs() - quitUs < 500 * 1000,
                 qPrintable(QString::number(h.clock.NowUs() - quitUs)));
        QVERIFY(!f.context().link().IsOpen());
        QVERIFY(!f.isVisible());
    }

    void quitRequestOfTheSessionClosesTheWindow() {
        FormHarness h;
        TfrmModule& f = h.form();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QVERIFY(!f.close());  // still refused before
        // The desktop ending the program at logout reaches it as a quit request.
        QEvent quit(QEvent::Quit);
        QCoreApplication::sendEvent(QCoreApplication::instance(), &quit);
        QVERIFY(!f.isVisible());
        QVERIFY(!h.SettingsFileExists());  // nothing is written on the way out
    }
};

QTEST_MAIN(SessionEndTest)
#include "tst_session_end.moc"
