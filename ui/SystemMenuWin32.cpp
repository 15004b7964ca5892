#include <windows.h>

#include <QGuiApplication>
#include <QWidget>

#include "SystemMenu.h"

void RemoveCloseCommand(QWidget& window) {
    // Only a window of the Windows platform has a system menu; the offscreen platform of the
    // tests has none.
    if (QGuiApplication::platformName() != QLatin1String("windows")) return;
    const HWND hwnd = reinterpret_cast<HWND>(window.winId());
    const HMENU menu = GetSystemMenu(hwnd, FALSE);
    // The last item is Close; removing it also disables the title bar's close box.
    const int count = GetMenuItemCount(menu);
    RemoveMenu(menu, UINT(count - 1), MF_BYPOSITION);
    DrawMenuBar(hwnd);
}
