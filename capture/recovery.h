#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "capture/input_event.h"
#include "system/recovery_folder.h"

class Recorder;

// A capture the user could not save, because the program had to end first (a termination
// request, a lost display, a quit) or chose not to (a cancelled save dialog), goes to a new file
// "recovered-YYYYMMDD-HHMMSS.tbcode" in the recovery folder, written with the same atomic save as
// any script; the next start names it.
namespace recovery {

// A name in `folder` for a file recovered at `when` (local time) that no existing file has.
std::string newFilePath(const std::string& folder, std::time_t when);

// The recovered scripts in `folder`, oldest first; none when the folder does not exist.
std::vector<std::string> recoveredScripts(const std::string& folder);

// Creates `folder` when needed and saves `capture` there through `recorder`'s codec. The sentence
// for the user says where it went, or why it could not be saved; `path`, if given, gets the file's
// name once saved.
bool save(const Recorder& recorder, const std::vector<InputEvent>& capture, const RecoveryFolder& folder,
          std::string& sentence, std::string* path = nullptr);

}  // namespace recovery
