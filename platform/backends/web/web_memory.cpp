// Allocation in the page: programs are linked with --wrap for malloc, calloc
// and realloc, so every request (C++'s new included) passes here, and one the
// memory cannot meet ends the program through the page's runtime with a
// message naming where it asked. In wasm a null pointer is a valid address:
// a program that went on with it would scribble over memory instead of
// crashing, and the student would never learn why.
#include "backends/web/web_internal.h"

#include <cstddef>

extern "C" {

void *__real_malloc(size_t size);
void *__real_calloc(size_t count, size_t size);
void *__real_realloc(void *old, size_t size);

void *__wrap_malloc(size_t size) {
    void *p = __real_malloc(size);
    if (p == nullptr && size != 0) web_js_out_of_memory(size);
    return p;
}

void *__wrap_calloc(size_t count, size_t size) {
    void *p = __real_calloc(count, size);
    if (p == nullptr && count != 0 && size != 0) web_js_out_of_memory(count > SIZE_MAX / size ? SIZE_MAX : count * size);
    return p;
}

void *__wrap_realloc(void *old, size_t size) {
    void *p = __real_realloc(old, size);
    if (p == nullptr && size != 0) web_js_out_of_memory(size);
    return p;
}

}  // extern "C"
