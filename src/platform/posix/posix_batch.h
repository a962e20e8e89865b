// The program's command line on Linux and other POSIX systems: the batch of src/batch over the
// terminal, the POSIX adapters and the process host, with no window system at all.
#pragma once

namespace framora::posix {

// Runs --help, --version or a batch for the arguments after the program's name and returns
// the exit status. SIGINT, SIGTERM, SIGHUP and SIGQUIT stop the batch as Cancel stops a conversion.
int RunCommandLine(int argc, char** argv);

}  // namespace framora::posix
