#include "tests/robustness/allocation_counter.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define COUNT_THROUGH_SANITIZER_HOOKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define COUNT_THROUGH_SANITIZER_HOOKS 1
#endif
#endif

namespace alloc_count {
namespace {

std::atomic<long> counted{0};
thread_local bool counting = false;

void Note() {
    if (counting) counted.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

void Resume() {
    counting = true;
}
void Pause() {
    counting = false;
}
long Count() {
    return counted.load();
}

Paused::Paused() : wasCounting_(counting) {
    counting = false;
}
Paused::~Paused() {
    counting = wasCounting_;
}

}  // namespace alloc_count

#ifdef COUNT_THROUGH_SANITIZER_HOOKS
// The address sanitizer owns malloc; it reports every allocation it makes to this hook.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*mallocHook)(const volatile void*,
                                                                            size_t),
                                                         void (*freeHook)(const volatile void*));

namespace {

void OnSanitizerMalloc(const volatile void*, size_t) {
    alloc_count::Note();
}
void OnSanitizerFree(const volatile void*) {}

[[maybe_unused]] const int hooksInstalled =
    __sanitizer_install_malloc_and_free_hooks(OnSanitizerMalloc, OnSanitizerFree);

}  // namespace
#else
// The C library's own allocator under the names it exports for programs that replace malloc;
// free stays the library's, which takes back what these return. The C library declares the
// public names as not throwing, hence noexcept.
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* memory, size_t size);
void* __libc_memalign(size_t alignment, size_t size);

void* malloc(size_t size) noexcept {
    alloc_count::Note();
    return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) noexcept {
    alloc_count::Note();
    return __libc_calloc(count, size);
}
void* realloc(void* memory, size_t size) noexcept {
    alloc_count::Note();
    return __libc_realloc(memory, size);
}
void* aligned_alloc(size_t alignment, size_t size) noexcept {
    alloc_count::Note();
    return __libc_memalign(alignment, size);
}
void* memalign(size_t alignment, size_t size) noexcept {
    alloc_count::Note();
    return __libc_memalign(alignment, size);
}
void* reallocarray(void* memory, size_t count, size_t size) noexcept {
    alloc_count::Note();
    if (size != 0 && count > static_cast<size_t>(-1) / size) return nullptr;
    return __libc_realloc(memory, count * size);
}
int posix_memalign(void** memory, size_t alignment, size_t size) noexcept {
    alloc_count::Note();
    void* block = __libc_memalign(alignment, size);
    if (block == nullptr) return 12;  // ENOMEM
    *memory = block;
    return 0;
}
}
#endif

// C++ allocations go through malloc in every build, so the one count above sees them.
void* operator new(size_t size) {
    if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
    throw std::bad_alloc();
}
void* operator new[](size_t size) {
    return operator new(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size == 0 ? 1 : size);
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete[](void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, size_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, size_t) noexcept {
    std::free(memory);
}
