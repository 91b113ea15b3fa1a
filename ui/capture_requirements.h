#pragma once

#include <QString>

// What this system needs for global capture, in the user's words; one file per system says it.
QString captureRequirements();
