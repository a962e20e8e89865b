// What screen readers get beyond Qt's standard interfaces: the role of a label or picture that
// the user clicks, with its press action, and the console's pane as read-only text.
#pragma once

namespace framora::qt {

// Installed once, before the first window.
void InstallAccessibleFactory();

}  // namespace framora::qt
