# Cross-build for the device: 32-bit ARM, hard float (Debian's armhf), with
# the cross compiler of g++-arm-linux-gnueabihf and the armhf development
# packages installed side by side with the native ones (multiarch).
#
#   cmake -S . -B build-armhf -DCMAKE_TOOLCHAIN_FILE=cmake/armhf.cmake
#
# Built programs run here under qemu-user: CMake uses the emulator for test
# discovery and ctest, and the tests start their child programs through
# EINK_EXEC_PREFIX (scripts/test-armhf.sh sets both up).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)

set(EINK_ARMHF_TRIPLET arm-linux-gnueabihf)
set(CMAKE_C_COMPILER ${EINK_ARMHF_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${EINK_ARMHF_TRIPLET}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${EINK_ARMHF_TRIPLET})

# Libraries come only from the armhf multiarch folders, never from the
# native ones; programs (pkg-config, ccache, code generators) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${EINK_ARMHF_TRIPLET} /)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_IGNORE_PATH /usr/lib/x86_64-linux-gnu /lib/x86_64-linux-gnu)

# pkg-config answers for armhf: any -dev package the build looks up this way
# (later image or display libraries too) is found once its :armhf version is
# installed, and only then.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/${EINK_ARMHF_TRIPLET}/pkgconfig:/usr/share/pkgconfig)
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

# The programs run on the armhf run-time of the multiarch packages
# (libc6:armhf, libstdc++6:armhf), loader included. Not with
# `-L /usr/arm-linux-gnueabihf`: that takes the loader of the cross
# compiler's own C library but the libc6:armhf that the -dev packages bring,
# two builds of glibc that do not mix (a forked child crashes at once).
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm -L /)

# GCC notes on every std::vector<long long> that its argument passing changed
# in GCC 7.1; nothing here crosses that ABI boundary.
set(CMAKE_CXX_FLAGS_INIT "-Wno-psabi")
