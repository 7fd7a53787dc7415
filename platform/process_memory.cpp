#include "platform/process_memory.h"

#include <malloc.h>

namespace tf {

void ReturnLargeBlocksWhenFreed() {
  // A fixed bound also stops the C library from moving it (and the trim bound) later.
  mallopt(M_MMAP_THRESHOLD, 256 * 1024);
}

}  // namespace tf
