// Stand-in for the cache cleaner "CCleaner.exe": accepts the one argument "/AUTO" and ends.
#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    if (argc == 2 && std::strcmp(argv[1], "/AUTO") == 0)
        return 0;
    std::fprintf(stderr, "usage: CCleaner.exe /AUTO\n");
    return 2;
}
