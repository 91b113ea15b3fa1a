#pragma once

// The window title, also the tray tooltip and the title of every message box.
constexpr char kWindowTitle[] = "Norrel鼠标自动点击器1008";
