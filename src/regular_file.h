#pragma once

#include <cstdio>

// Opens a file for binary reading only when it is a regular file, and
// never waits doing so: a named pipe without a writer is refused, not
// waited on.
struct regular_file {
    std::FILE* file; // null when it could not be opened or is no regular file
    int error;       // errno when it could not be opened, else 0
    long long size;  // its size in bytes, when opened
};

regular_file open_regular_file(const char* path);
