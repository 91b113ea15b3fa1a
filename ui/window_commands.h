#pragma once

// The two commands the hot keys send to the window thread. The values are those of the private
// window messages on Windows (WM_USER + 100 and + 101), so other programs there can send them too.
constexpr unsigned WM_RECORD_TOGGLE = 0x464;  // wParam: non-zero starts recording, 0 stops it
constexpr unsigned WM_PLAY_SCRIPT = 0x465;    // wParam: not read
