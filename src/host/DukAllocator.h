#pragma once

// The memory functions the script engine is created with: the C library's, except that a
// block of 8 MiB or more (a long script string, which Duktape fills as soon as it has it)
// starts on a 2 MiB boundary, asks for large pages and is backed with memory in one request
// instead of being faulted in page by page as the copy runs over it.

#include <duktape.h>

namespace host {

void* dukAlloc(void* udata, duk_size_t size);
void* dukRealloc(void* udata, void* ptr, duk_size_t size);
void dukFree(void* udata, void* ptr);

} // namespace host
