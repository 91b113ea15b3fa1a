#pragma once

#include <string>
#include <vector>

// What a command-line program needs of its console, per system.

// The program's arguments as UTF-8: on Windows taken from the wide command line (argv holds the
// local code page there, which cannot name every file); elsewhere as given.
std::vector<std::string> commandLineArguments(int argc, char** argv);

// Makes the console show UTF-8 text written to it (Windows); nothing elsewhere.
void useUtf8Console();

// Whether standard error is a terminal (a console window), where a progress line may be redrawn.
bool standardErrorIsTerminal();
