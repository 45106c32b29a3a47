#pragma once

#include <cstddef>
#include <utility>
#include <vector>

// Reseeds the process's shuffle generator from the high-resolution clock.
void ReseedShuffleRandom();
// A uniform draw from 0 to count - 1.
std::size_t ShuffleDraw(std::size_t count);

// Reorders the list at random in place: for every position in ascending order, exchange it with
// a position drawn over the whole list. Nothing happens for a missing or empty list.
template <class T>
void ShuffleList(std::vector<T> *list)
{
    if (list == nullptr || list->empty())
        return;
    ReseedShuffleRandom();
    const std::size_t count = list->size();
    for (std::size_t i = 0; i < count; ++i)
        std::swap((*list)[i], (*list)[ShuffleDraw(count)]);
}
