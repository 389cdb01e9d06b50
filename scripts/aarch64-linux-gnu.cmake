# Cross-compiles for 64-bit ARM Linux (Debian's arm64: a Raspberry Pi 3, 4
# or 5 on 64-bit Raspberry Pi OS, ARM laptops and servers).
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(architecture arm64)
set(triplet aarch64-linux-gnu)
set(emulator qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
