// A small program the platform tests start, copy and rename.
//   /AUTO [args...]  waits 300 ms, then writes its arguments, one a line, to "probe-ran.txt" in its folder
//   /SLEEP ms        waits ms milliseconds
//   /FINDMARKED      (Windows) asks the marked window to show itself; exit code 0 when one was found
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

#ifdef _WIN32
#include "Startup.h"
#endif

int main(int argc, char **argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "/AUTO") == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        std::ofstream out("probe-ran.txt", std::ios::binary);
        for (int i = 1; i < argc; ++i)
            out << argv[i] << '\n';
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "/SLEEP") == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[2])));
        return 0;
    }
#ifdef _WIN32
    if (argc == 2 && std::strcmp(argv[1], "/FINDMARKED") == 0)
        return FindMarkedWindowAndShow() ? 0 : 3;
#endif
    return 2;
}
