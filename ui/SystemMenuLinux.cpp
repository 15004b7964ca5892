#include <QWidget>

#include "SystemMenu.h"

// The window's flags already leave out the close box, and its close handler turns away the
// requests that still come (title bar, Alt+F4); an X11 or Wayland window manager offers no
// system menu of the program's own to change.
void RemoveCloseCommand(QWidget&) {}
