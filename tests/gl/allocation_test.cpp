#include "headless_gl.h"
#include "picture_files.h"
#include "scene.h"
#include "viewer.h"

#include <link.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

// Heap allocations made by this program's own code, counted while
// `counting` is on. malloc is replaced for the whole process; a call counts
// when it comes from the program itself rather than from a shared library
// (the OpenGL driver allocates as it pleases).
namespace {

bool counting = false;
long allocations = 0;
std::uintptr_t program_start = 0, program_end = 0;

int find_program(dl_phdr_info* info, std::size_t, void*)
{
    // The first object listed is the program itself.
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& segment = info->dlpi_phdr[i];
        if (segment.p_type == PT_LOAD && (segment.p_flags & PF_X)) {
            program_start = info->dlpi_addr + segment.p_vaddr;
            program_end = program_start + segment.p_memsz;
        }
    }
    return 1;
}

void count(const void* caller)
{
    const auto at = reinterpret_cast<std::uintptr_t>(caller);
    allocations += counting && at >= program_start && at < program_end;
}

}

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void __libc_free(void* block);

void* malloc(std::size_t size)
{
    count(__builtin_return_address(0));
    return __libc_malloc(size);
}

void* calloc(std::size_t n, std::size_t size)
{
    count(__builtin_return_address(0));
    return __libc_calloc(n, size);
}

void* realloc(void* block, std::size_t size)
{
    count(__builtin_return_address(0));
    return __libc_realloc(block, size);
}
}

void* operator new(std::size_t size)
{
    count(__builtin_return_address(0));
    if (void* block = __libc_malloc(size == 0 ? 1 : size))
        return block;
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept
{
    __libc_free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    __libc_free(block);
}

TEST(allocations, display_allocates_nothing_frame_after_frame)
{
    dl_iterate_phdr(find_program, nullptr);
    ASSERT_LT(program_start, program_end);
    start_headless_viewer();
    scratch_directory directory;
    write_file("armor.raw", random_bytes(picture_bytes, 40));
    load_textures();
    testing::internal::CaptureStdout();
    // The first frames let the driver and the C library set up for good.
    for (int i = 0; i < 20; ++i)
        display();
    glFinish();

    counting = true;
    for (int i = 0; i < 500; ++i)
        display();
    counting = false;
    glFinish();
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 520);
    EXPECT_EQ(allocations, 0) << "heap allocations in 500 frames";

    // The count does see the program's own allocations.
    static int* volatile kept;
    counting = true;
    kept = new int(7);
    std::vector<unsigned char> block(100);
    counting = false;
    delete kept;
    EXPECT_EQ(allocations, 2);
}
