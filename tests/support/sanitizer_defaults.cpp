// Options every program of a sanitizer build starts with, so that a plain
// `ctest` run in that build needs no environment of its own.

extern "C" {

const char* __asan_default_options()
{
    // stdbuf, which the end-to-end tests start the viewer through, preloads
    // a library ahead of the sanitizer runtime.
    return "verify_asan_link_order=0:detect_leaks=1:abort_on_error=0:exitcode=86";
}

const char* __lsan_default_options()
{
    return "suppressions=" LSAN_SUPPRESSIONS ":print_suppressions=0";
}

const char* __ubsan_default_options()
{
    return "print_stacktrace=1:halt_on_error=1:exitcode=87";
}
}

// Keeps every shared library mapped until the program ends: the OpenGL
// driver is unloaded at exit, and a leak report must still be able to name
// the library a block came from for lsan.supp to match it.
extern "C" int dlclose(void*)
{
    return 0;
}
