# The Debian packages each command needs (sourced by the root scripts).
BUILD_PACKAGES=(cmake g++ ninja-build)
TEST_PACKAGES=(libgtest-dev libgmock-dev libbenchmark-dev faketime libc-bin tmux groff-base clang libclang-rt-14-dev)
# The native Windows build and its run under Wine (wine32 needs dpkg's i386 architecture).
WINDOWS_PACKAGES=(g++-mingw-w64-i686-win32 wine wine32:i386)
