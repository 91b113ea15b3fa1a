#pragma once

#include <QString>

#include "script/script_codec.h"

struct ScriptFileResult;

// Why a line of a script is refused, in the window's language, with the hint if there is one.
QString lineFaultText(const Refusal& refusal);

// The text of the box shown when a script is not played: for a refused script the number and text
// of its first refused line and why; for a file that cannot be read, why not.
QString describeUnplayableScript(const QString& path, const ScriptFileResult& result);
