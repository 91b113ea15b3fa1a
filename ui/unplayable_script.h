#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>

#include "script/script_codec.h"

struct ScriptFileResult;

// Why a line of a script is refused, in the window's language, with the hint if there is one.
QString lineFaultText(const Refusal& refusal);

// The text of the box shown when a script is not played: for a refused script the number and text
// of its first refused line and why; for a file that cannot be read, why not.
QString describeUnplayableScript(const QString& path, const ScriptFileResult& result);

// The text of the box shown when a playback stopped because the colour a WAITCOLOR line waited for
// did not come: the script, the line, the colour awaited and the colour seen.
QString describeMissingColour(const QString& path, std::size_t line, const InputEvent& wait,
                              const std::optional<std::uint32_t>& seen);
