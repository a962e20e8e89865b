// The program's command line on Windows: the batch of src/batch on a console, with the Win32
// adapters and process host, and no window at all.
#pragma once

#include <string>
#include <vector>

namespace framora::win32 {

// The arguments after the program's name, in UTF-8, read from the UTF-16 command line as the
// C runtime splits it (whatever the code page cannot hold survives).
std::vector<std::string> CommandLineArguments();

// The window program has no console of its own: this writes to the console of the program that
// started it, unless its output goes to a file or pipe already. False when there is nowhere to
// write to (started from Explorer, say).
bool UseParentConsole();

// Runs --help, --version or a batch and returns the exit status. Ctrl+C and Ctrl+Break stop
// the batch as Cancel stops a conversion; the console's closing, a logoff or a shutdown stop it
// at once, so that the unfinished video is removed before Windows ends the program.
int RunCommandLine(const std::vector<std::string>& args);

// Starts the window program, Framoraaudioconverter.exe beside this program file, without
// waiting for it; the exit status (0, or 1 with a message when it could not be started).
int StartWindowProgram();

}  // namespace framora::win32
