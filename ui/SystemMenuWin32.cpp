#include <windows.h>

#include <QEvent>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>

#include "SystemMenu.h"

namespace {

// Close is the last item of the system menu; removing it also disables the title bar's close
// box. Where something follows it (Wine adds "About Wine"), Close is found by its command, so
// that no other item is taken instead. A menu without Close stays as it is.
void RemoveLastCloseItem(QWidget& window) {
    const HWND hwnd = reinterpret_cast<HWND>(window.winId());
    const HMENU menu = GetSystemMenu(hwnd, FALSE);
    for (int position = GetMenuItemCount(menu) - 1; position >= 0; --position) {
        if (GetMenuItemID(menu, position) != SC_CLOSE) continue;
        RemoveMenu(menu, UINT(position), MF_BYPOSITION);
        DrawMenuBar(hwnd);
        return;
    }
}

// Qt makes the native window anew when its flags change, and the system menu comes back whole
// when the window is shown; the removal is repeated then.
class CloseCommandRemover : public QObject {
  public:
    explicit CloseCommandRemover(QWidget& window) : QObject(&window), window_(window) {
        window.installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != &window_) return false;
        if (event->type() == QEvent::WinIdChange) RemoveLastCloseItem(window_);
        // Showing the window gives it the system's menu again; once it is shown, Close goes.
        if (event->type() == QEvent::Show)
            QTimer::singleShot(0, this, [this] { RemoveLastCloseItem(window_); });
        return false;
    }

  private:
    QWidget& window_;
};

}  // namespace

void RemoveCloseCommand(QWidget& window) {
    // Only a window of the Windows platform has a system menu; the offscreen platform of the
    // tests has none.
    if (QGuiApplication::platformName() != QLatin1String("windows")) return;
    RemoveLastCloseItem(window);
    new CloseCommandRemover(window);
}
