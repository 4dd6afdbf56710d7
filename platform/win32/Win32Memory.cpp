#include "platform/Memory.h"

namespace tav::platform {

// The Windows heap keeps freed blocks of this size for reuse on its own (its low-fragmentation
// heap); there is nothing to tune.
void keepFreedMemoryForReuse() {}

} // namespace tav::platform
