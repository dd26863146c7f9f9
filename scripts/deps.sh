# The Debian packages each command needs (sourced by the root scripts).
BUILD_PACKAGES=(cmake g++ ninja-build)
TEST_PACKAGES=(libgtest-dev libgmock-dev libbenchmark-dev faketime libc-bin tmux luit)
PLAY_PACKAGES=(luit)
