#pragma once

#include <memory>

#include "platform/platform_input.h"

// The real input services of the system this program was built for (X11 on Linux, Win32 on
// Windows). Implemented once per backend, in its own folder.
std::unique_ptr<PlatformInput> createSystemPlatform();
