// What every program we start on POSIX shares: it begins in a session or a process group of
// its own, and it is reaped without anyone waiting for it.
#pragma once

#include <spawn.h>
#include <sys/types.h>

namespace framora::posix {

// A session of its own (its own process group, no terminal to lose when ours closes), with its
// signals as a fresh program has them, whatever ours ignore or block. 0, or the error.
int NewSessionAttributes(posix_spawnattr_t& attributes);

// The same, but in our session: in a process group of its own (`group` 0), or joining `group`.
int NewGroupAttributes(posix_spawnattr_t& attributes, pid_t group);

// A child must be waited for, or it stays a zombie; yet the user interface must never wait for
// it, and a child may well run on (a close request it ignores, a tool started for the user,
// the program ending). So it is reaped at once if it has ended, else by a small detached
// thread that does nothing else. We do not fork twice instead: the orphan would then depend on
// whatever reaps orphans on the system, and an exec that failed could not be told.
void ReapLater(pid_t pid);

}  // namespace framora::posix
