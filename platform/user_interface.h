// The Windows user-interface calls the gauges make, for builds that are not Windows:
// text formatting with wsprintfA, finding the host's window, and the message box, which the
// bench records instead of showing.
#pragma once

#include "windows_types.h"

// Formats into `buffer` as the platform does: %d (or %i), %u, %x, %X, %c, %s and %%, each
// with the flags - and 0, a width and a precision; at most 1024 characters with the
// terminating NUL. Returns the characters stored, not counting the NUL.
PLATFORM_API int WINAPIV wsprintfA(LPSTR buffer, LPCSTR format, ...);

// Finds the bench's main window by class name ("FS98MAIN") while the bench provides one.
PLATFORM_API HWND WINAPI FindWindowA(LPCSTR class_name, LPCSTR window_name);
// Records the box and answers IDOK (1) at once.
PLATFORM_API int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT style);

#include "control.h"

#include <string>
#include <vector>

namespace platform {

struct message_box {
    HWND owner;
    std::string text;
    std::string caption;
    UINT style;
};

// Gives the bench a main window of the host's class, or takes it away (null).
PLATFORM_CONTROL void set_main_window(HWND window);
PLATFORM_CONTROL std::vector<message_box> message_boxes();
PLATFORM_CONTROL void clear_message_boxes();

} // namespace platform
