// Activation and focus of the launcher thread's windows, with the messages
// Windows sends for them.
#pragma once

#include "platform/platform.h"

namespace sim::detail {

// Makes a visible launcher window the active one: WM_WINDOWPOSCHANGING (to
// the top), WM_ACTIVATEAPP to every top-level window of the thread when the
// application was not active, WM_NCACTIVATE, WM_ACTIVATE; the default
// procedure then gives it the focus.
void activate(HWND window);
// The active window goes inactive because another application's window
// takes over: WM_NCACTIVATE, WM_ACTIVATE, WM_ACTIVATEAPP to every top-level
// window of the thread, WM_KILLFOCUS.
void deactivate_application();
// A window of the thread that the desktop draws itself (a message box)
// takes the activation, and gives it back when it goes.
HWND activate_own_dialog();
void dialog_closed(HWND previously_active);
// SetFocus as the default procedure uses it on WM_ACTIVATE.
void set_focus(HWND window);

} // namespace sim::detail
