#pragma once

#include <QString>

struct FileFailure;

// Why a script could not be saved, for the failure box: the cause in the window's language, where
// it is one a user can act on, followed by the system's own text.
QString describeSaveFailure(const FileFailure& failure);
