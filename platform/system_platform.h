#pragma once

#include <memory>
#include <string>

#include "platform/platform_input.h"

// The real input services of the system this program was built for (X11 on Linux, Win32 on
// Windows). Implemented once per backend, in its own folder.
std::unique_ptr<PlatformInput> createSystemPlatform();

// Whether the display this program works on can be opened. When it cannot, `english` and `chinese`
// say why, each as a sentence for standard error, since no window can show it.
bool displayAvailable(std::string& english, std::string& chinese);

// A name under which one instance per user and display can be found by the next one started: a
// local socket name, or a full path where the system keeps a private folder per user.
std::string instanceName();
