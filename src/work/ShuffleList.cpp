#include "ShuffleList.h"

#include <chrono>
#include <random>

namespace {
std::mt19937_64 &generator()
{
    static std::mt19937_64 engine;
    return engine;
}
}

void ReseedShuffleRandom()
{
    generator().seed(static_cast<std::uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count()));
}

std::size_t ShuffleDraw(std::size_t count)
{
    return std::uniform_int_distribution<std::size_t>(0, count - 1)(generator());
}
