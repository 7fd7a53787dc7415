// ApplyScanPriority: sets the processor and disk priority of the calling scan thread.
#pragma once

namespace tf {

// Applies a search priority to the calling thread only: 0 runs it at nice 10 in the idle
// I/O class, 1 leaves the normal priority, any other value asks for nice -5. True when
// everything asked for was granted; a refusal (no right to raise the priority) changes
// nothing and is not reported otherwise.
bool ApplyScanPriority(int priority);

}  // namespace tf
