#pragma once

#include "platform/platform_input.h"

// Tells the user, in a modal box, that global capture cannot run and why; returns the process's
// exit status for that case (non-zero).
int reportCaptureUnavailable(const CaptureFailure& failure);
