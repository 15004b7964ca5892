#pragma once

// Installs, once, how the window's own kinds of control present themselves to assistive
// technology: the shapes as status indicators, and the window without GroupBox1, whose controls
// lie out of sight and out of reach.
void InstallAccessibleInterfaces();
