// The tool's window on the Windows platform itself (under Wine, drawn on an X server): its
// client area, its border and title bar, and a system menu without Close.
#include <windows.h>

#include <QGuiApplication>
#include <QScreen>
#include <QtTest>

#include "FormHarness.h"

class NativeWindowTest : public QObject {
    Q_OBJECT

  private:
    static HWND Handle(TfrmModule& form) { return reinterpret_cast<HWND>(form.winId()); }

    static bool Exposed(TfrmModule& form) {
        return QTest::qWaitForWindowExposed(form.windowHandle(), 10000);
    }

  private slots:
    void initTestCase() {
        if (QGuiApplication::platformName() != QLatin1String("windows"))
            QSKIP("Needs the Windows platform and a display");
    }

    void clientAreaIsTheLayoutsSize() {
        FormHarness h;
        QVERIFY(Exposed(h.form()));
        RECT client{};
        QVERIFY(GetClientRect(Handle(h.form()), &client));
        QCOMPARE(int(client.right - client.left), 656);
        QCOMPARE(int(client.bottom - client.top), 541);
    }

    void borderIsFixedWithMinimiseBoxOnly() {
        FormHarness h;
        QVERIFY(Exposed(h.form()));
        const LONG_PTR style = GetWindowLongPtrW(Handle(h.form()), GWL_STYLE);
        QVERIFY(style & WS_CAPTION);
        QVERIFY(style & WS_SYSMENU);
        QVERIFY(style & WS_MINIMIZEBOX);
        QVERIFY(!(style & WS_MAXIMIZEBOX));
        QVERIFY(!(style & WS_THICKFRAME));
    }

    void systemMenuHasNoClose() {
        FormHarness h;
        QVERIFY(Exposed(h.form()));
        const HMENU menu = GetSystemMenu(Handle(h.form()), FALSE);
        QVERIFY(menu);
        QVERIFY(GetMenuItemCount(menu) > 0);
        QCOMPARE(GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND), UINT(-1));
        // Still there are the commands the window does allow.
        QVERIFY(GetMenuState(menu, SC_MINIMIZE, MF_BYCOMMAND) != UINT(-1));
    }

    void titleIsTheCaptionOfTheLanguage() {
        FormHarness h;
        QVERIFY(Exposed(h.form()));
        wchar_t title[128] = {};
        GetWindowTextW(Handle(h.form()), title, 128);
        QCOMPARE(QString::fromWCharArray(title), QString("TAVIN VQ880-1W Reader Config V1.70-01"));
    }

    void closeRequestsOfTheSystemAreTurnedAway() {
        FormHarness h;
        QVERIFY(Exposed(h.form()));
        const HWND hwnd = Handle(h.form());
        SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        SendMessageW(hwnd, WM_CLOSE, 0, 0);
        QCoreApplication::processEvents();
        QVERIFY(IsWindowVisible(hwnd));
        QVERIFY(h.form().isVisible());
        // btnExit is the way out.
        Ui(h.form()).btnExit->click();
        QTRY_VERIFY(!h.form().isVisible());
    }

    void firstPositionIsCentredOnTheDesktop() {
        FormHarness h;
        QVERIFY(Exposed(h.form()));
        RECT frame{};
        QVERIFY(GetWindowRect(Handle(h.form()), &frame));
        const QRect desktop = QGuiApplication::primaryScreen()->availableGeometry();
        const QPoint centre((frame.left + frame.right) / 2, (frame.top + frame.bottom) / 2);
        // Within a few pixels of rounding and frame measurement.
        QVERIFY2(qAbs(centre.x() - desktop.center().x()) <= 4 &&
                     qAbs(centre.y() - desktop.center().y()) <= 4,
                 qPrintable(QString("window centre %1,%2, desktop centre %3,%4")
                                .arg(centre.x())
                                .arg(centre.y())
                                .arg(desktop.center().x())
                                .arg(desktop.center().y())));
    }
};

QTEST_MAIN(NativeWindowTest)
#include "tst_native_window.moc"
