// How the process's allocator treats the blocks a page is drawn with.
#pragma once

namespace tav::platform {

// Every label allocates and frees a few blocks of some hundred kilobytes (decoded pictures,
// their device copies). An allocator that hands such blocks back to the system at once makes
// the next label fault every page in again, which costs several times the drawing itself. This
// keeps blocks below 4 MB in the heap and up to 8 MB of free heap for reuse. Calling it more
// than once does nothing more.
void keepFreedMemoryForReuse();

} // namespace tav::platform
