// Where the program lives. InitRuntime makes the program directory the current directory; both
// answers are valid before that too.
#pragma once

namespace vorenn {

// The program file's directory without trailing separator ("/opt/vorenn/bin").
const char* ProgramDirectory();
// The same directory with a trailing separator ("/opt/vorenn/bin/").
const char* ModuleDirectory();
// Replaces the recorded program directory (a trailing separator is dropped).
void SetProgramDirectory(const char* directory);

}  // namespace vorenn
