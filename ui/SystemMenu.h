#pragma once

class QWidget;

// Takes the Close command out of the window's system menu, so that the title bar offers no
// way to close it. Results are not checked: a window without a system menu stays as it is.
void RemoveCloseCommand(QWidget& window);
