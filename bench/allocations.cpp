#include "allocations.h"

#include <link.h>

#include <cstdlib>
#include <new>

// glibc's own allocator, which the functions below forward to; free stays glibc's.
extern "C" void* __libc_malloc(std::size_t size);
extern "C" void* __libc_calloc(std::size_t count, std::size_t size);
extern "C" void* __libc_realloc(void* p, std::size_t size);

namespace tamrilo::bench {
namespace {

std::uintptr_t image_begin = 0;
std::uintptr_t image_end = 0;
std::int64_t allocations = 0;

void note(const void* caller) {
    const auto address = reinterpret_cast<std::uintptr_t>(caller);
    if (address >= image_begin && address < image_end) ++allocations;
}

struct Search {
    const std::string* file_name;
    std::uintptr_t begin, end;
};

int find_image(dl_phdr_info* info, std::size_t, void* data) {
    auto* search = static_cast<Search*>(data);
    const std::string name = info->dlpi_name;
    const std::string& wanted = *search->file_name;
    if (name.size() < wanted.size() || name.compare(name.size() - wanted.size(), wanted.size(), wanted) != 0) return 0;
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& segment = info->dlpi_phdr[i];
        if (segment.p_type != PT_LOAD) continue;
        const std::uintptr_t begin = info->dlpi_addr + segment.p_vaddr;
        const std::uintptr_t end = begin + segment.p_memsz;
        if (search->begin == 0 || begin < search->begin) search->begin = begin;
        if (end > search->end) search->end = end;
    }
    return 1;
}

void* allocate(std::size_t size, const void* caller) {
    note(caller);
    if (void* p = __libc_malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}

}  // namespace

bool watch_image(const std::string& file_name) {
    Search search{&file_name, 0, 0};
    dl_iterate_phdr(find_image, &search);
    image_begin = search.begin;
    image_end = search.end;
    return image_begin != 0;
}

std::int64_t image_allocations() { return allocations; }

}  // namespace tamrilo::bench

using tamrilo::bench::allocate;
using tamrilo::bench::note;

extern "C" void* malloc(std::size_t size) {
    note(__builtin_return_address(0));
    return __libc_malloc(size);
}
extern "C" void* calloc(std::size_t count, std::size_t size) {
    note(__builtin_return_address(0));
    return __libc_calloc(count, size);
}
extern "C" void* realloc(void* p, std::size_t size) {
    note(__builtin_return_address(0));
    return __libc_realloc(p, size);
}
void* operator new(std::size_t size) { return allocate(size, __builtin_return_address(0)); }
void* operator new[](std::size_t size) { return allocate(size, __builtin_return_address(0)); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
