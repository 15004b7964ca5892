// A desktop logout must not be held up by the window that refuses every other close request.
// On its own because the quit request ends the application's event loops for good.
#include <QTest>

#include "FormHarness.h"

class SessionEndTest : public QObject {
    Q_OBJECT

  private slots:
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
