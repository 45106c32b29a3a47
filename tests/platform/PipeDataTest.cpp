#include "PipeClient.h"

#include <gtest/gtest.h>

namespace {

struct PipeDataCase {
    bool hasStoppedTask;
    int32_t clickSum;
    std::array<uint8_t, 20> expected;
};

class PipeDataBytes : public ::testing::TestWithParam<PipeDataCase> {};

TEST_P(PipeDataBytes, LaysOutTheTwentyBytes)
{
    TPipeData data;
    data.hasStoppedTask = GetParam().hasStoppedTask;
    data.clickSum = GetParam().clickSum;
    EXPECT_EQ(data.bytes(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PipeDataBytes,
    ::testing::Values(
        PipeDataCase{false, 0, {0, 0, 0, 0, 0, 0, 0, 0, '7', 0, '5', 0, '9', 0, '0', 0, 0, 0, 0, 0}},
        PipeDataCase{true, 12, {0, 1, 0, 0, 12, 0, 0, 0, '7', 0, '5', 0, '9', 0, '0', 0, 0, 0, 0, 0}},
        PipeDataCase{false, 0x01020304, {0, 0, 0, 0, 4, 3, 2, 1, '7', 0, '5', 0, '9', 0, '0', 0, 0, 0, 0, 0}},
        PipeDataCase{true, -2, {0, 1, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF, '7', 0, '5', 0, '9', 0, '0', 0, 0, 0, 0, 0}}));

} // namespace
