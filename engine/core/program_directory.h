// Where the program lives. InitRuntime makes the program directory the current directory; both
// answers are valid before that too.
#pragma once

#include <string>

namespace vorenn {

// The program file's directory without trailing separator ("/opt/vorenn/bin").
const char* ProgramDirectory();
// The same directory with a trailing separator ("/opt/vorenn/bin/").
const char* ModuleDirectory();
// Replaces the recorded program directory (a trailing separator is dropped).
void SetProgramDirectory(const char* directory);

// An extra directory searched first for DLL files ("" = none); with trailing separator.
void SetExtraDllDirectory(const std::string& dir);
const std::string& ExtraDllDirectory();

}  // namespace vorenn
