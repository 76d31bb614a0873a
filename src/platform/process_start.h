#pragma once
// The start of the process and its words to whoever started it.
#include <string>
#include <vector>

namespace platform {

// The command line, each argument in UTF-8 (the first is the program). Called
// once, first thing in main. On Windows it also connects the standard
// streams to the console the program was started from, when there is one
// (the program is a windowed one and gets none of its own); output already
// sent to a file or a pipe stays there.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Text for the person who started the program (--help, --version, a mistake
// on the command line): on standard output (standard error for an error),
// or, started on Windows without a console, in a message box.
void TellUser(const std::string& text, bool error);

}  // namespace platform
