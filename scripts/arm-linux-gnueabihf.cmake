# Cross-compiles for 32-bit ARM Linux with hardware floating point
# (Debian's armhf: 32-bit Raspberry Pi OS on a Pi 2 or later).
set(CMAKE_SYSTEM_PROCESSOR armv7l)
set(architecture armhf)
set(triplet arm-linux-gnueabihf)
set(emulator qemu-arm)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
