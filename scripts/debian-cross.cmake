# Debian's cross compiler for the GNU triplet `triplet`, against the
# target's own Debian for the Debian architecture `architecture`, of the
# release that scripts/target_root.sh names and unpacks into a cache of its
# own where it is missing; what it builds runs through qemu-user's
# `emulator` in that root.
# Included by the toolchain file of each target, which sets those three and
# CMAKE_SYSTEM_PROCESSOR.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_CXX_COMPILER ${triplet}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${triplet})
execute_process(COMMAND ${CMAKE_CURRENT_LIST_DIR}/target_root.sh ${architecture}
  OUTPUT_VARIABLE target_folder OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
set(CMAKE_SYSROOT ${target_folder}/root)
# For the package (packaging/CMakeLists.txt): its architecture, and the
# root's dpkg database, from which dpkg-shlibdeps reads its dependencies.
set(TEXTURES_DEBIAN_ARCHITECTURE ${architecture})
set(TEXTURES_TARGET_DPKG ${target_folder}/dpkg)
# The target's libraries only: pkg-config, which FindGLUT asks first,
# would otherwise name this machine's.
set(ENV{PKG_CONFIG_SYSROOT_DIR} ${CMAKE_SYSROOT})
set(ENV{PKG_CONFIG_LIBDIR}
  ${CMAKE_SYSROOT}/usr/lib/${triplet}/pkgconfig:${CMAKE_SYSROOT}/usr/share/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${emulator} -L ${CMAKE_SYSROOT})
