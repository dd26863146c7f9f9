// Writes N bytes to standard output in 128-byte write calls: the least any
// program must do to hand the game's output to a pipe in the same pieces.
#include <cstdlib>
#include <cstring>
#include <unistd.h>

int main(int argc, char** argv)
{
    long long remaining = argc > 1 ? std::atoll(argv[1]) : 0;
    char piece[128];
    std::memset(piece, '.', sizeof piece);
    while (remaining > 0) {
        long long size = remaining < 128 ? remaining : 128;
        if (write(STDOUT_FILENO, piece, static_cast<size_t>(size)) != size)
            return 1;
        remaining -= size;
    }
    return 0;
}
