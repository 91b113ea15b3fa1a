#pragma once

#include <string>
#include <string_view>

// Replaces the file at `path` (UTF-8) with `bytes`, atomically: the bytes go to a temporary file in
// the same folder, which is renamed over the target only once it is complete and closed. On failure
// the previous file is left byte-for-byte intact, no temporary file remains, false is returned and
// `reason` (if given) says why in plain words.
bool replaceFileContents(const std::string& path, std::string_view bytes, std::string* reason);
