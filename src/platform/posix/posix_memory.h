// Memory for the console pane's text that the kernel may back with huge pages.
#pragma once

#include "console/chunked_text.h"

namespace framora::posix {

// Blocks aligned to their own size, advised as huge pages: a flood of output then faults in one
// page per block instead of hundreds of small ones. Where the kernel declines, they are plain.
console::ChunkedText::BlockMemory HugePageBlocks();

}  // namespace framora::posix
