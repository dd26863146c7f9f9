# The Debian packages each command needs (sourced by the root scripts).
BUILD_PACKAGES=(cmake g++ ninja-build make)
TEST_PACKAGES=(libgtest-dev libgmock-dev libbenchmark-dev faketime libc-bin tmux groff-base clang libclang-rt-14-dev qemu-user)
# The native Windows programs, 32- and 64-bit, and the Wine that runs one
# of them: 32-bit Wine (wine32 needs dpkg's i386 architecture) where the
# machine runs 32-bit programs, 64-bit Wine where it does not.
WINDOWS_PACKAGES=(g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32)
WINE32_PACKAGES=(wine wine32:i386)
WINE64_PACKAGES=(wine64)
# Making the release packages (dpkg-shlibdeps computes the Debian
# package's dependencies; cpack runs file(1) to find the programs to strip
# and scan, and a minimal system has no file) and checking the Debian package.
PACKAGE_PACKAGES=(dpkg-dev file)
PACKAGE_CHECK_PACKAGES=(lintian)
