# Debian's cross compiler for the GNU triplet `triplet`, against the
# target's own libraries, installed beside this machine's as multiarch
# packages (freeglut3-dev:arm64, say); what it builds runs through
# qemu-user's `emulator`. Included by the toolchain file of each target,
# which sets both and CMAKE_SYSTEM_PROCESSOR.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_CXX_COMPILER ${triplet}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${triplet})
# The target's libraries only: pkg-config, which FindGLUT asks first,
# would otherwise name this machine's.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/${triplet}/pkgconfig:/usr/share/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
set(CMAKE_CROSSCOMPILING_EMULATOR ${emulator})
