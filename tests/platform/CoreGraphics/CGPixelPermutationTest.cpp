#include "CoreGraphics/CGPixelPermutation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

constexpr std::uint32_t untouched = 0xdeadbeef;
// Keeps the image off the device's edges, and its rows off 16-byte boundaries.
constexpr std::ptrdiff_t margin = 3;

struct Steps {
    int columnDX, columnDY, rowDX, rowDY;
};

// The eight ways a bitmap can be turned by right angles and mirrored.
constexpr Steps everyTurn[] = {{1, 0, 0, 1}, {-1, 0, 0, 1}, {1, 0, 0, -1}, {-1, 0, 0, -1},
                               {0, 1, 1, 0}, {0, -1, 1, 0}, {0, 1, -1, 0}, {0, -1, -1, 0}};

struct Placed {
    CGPixelPermutation permutation;
    std::size_t width, height;
};

// A device just large enough for the turned image plus the margin around it.
Placed place(Steps steps, std::size_t imageWidth, std::size_t imageHeight) {
    const auto lastColumn = std::ptrdiff_t(imageWidth) - 1, lastRow = std::ptrdiff_t(imageHeight) - 1;
    const std::ptrdiff_t spanX = std::abs(steps.columnDX) * lastColumn + std::abs(steps.rowDX) * lastRow;
    const std::ptrdiff_t spanY = std::abs(steps.columnDY) * lastColumn + std::abs(steps.rowDY) * lastRow;
    const std::ptrdiff_t minX = std::min<std::ptrdiff_t>(0, steps.columnDX * lastColumn) +
                                std::min<std::ptrdiff_t>(0, steps.rowDX * lastRow);
    const std::ptrdiff_t minY = std::min<std::ptrdiff_t>(0, steps.columnDY * lastColumn) +
                                std::min<std::ptrdiff_t>(0, steps.rowDY * lastRow);
    return {{margin - minX, margin - minY, steps.columnDX, steps.columnDY, steps.rowDX, steps.rowDY},
            std::size_t(spanX + 1 + 2 * margin),
            std::size_t(spanY + 1 + 2 * margin)};
}

// One pixel at a time, straight from the permutation's definition.
std::vector<std::uint32_t> movedOneByOne(const Placed& placed, const std::vector<std::uint32_t>& image,
                                         std::size_t imageWidth, std::size_t imageHeight) {
    std::vector<std::uint32_t> device(placed.width * placed.height, untouched);
    const CGPixelPermutation& p = placed.permutation;
    for (std::size_t row = 0; row < imageHeight; ++row) {
        for (std::size_t column = 0; column < imageWidth; ++column) {
            const std::ptrdiff_t x =
                p.originX + std::ptrdiff_t(column) * p.columnDX + std::ptrdiff_t(row) * p.rowDX;
            const std::ptrdiff_t y =
                p.originY + std::ptrdiff_t(column) * p.columnDY + std::ptrdiff_t(row) * p.rowDY;
            device[std::size_t(y) * placed.width + std::size_t(x)] = image[row * imageWidth + column];
        }
    }
    return device;
}

void expectSameAsOneByOne(std::size_t imageWidth, std::size_t imageHeight) {
    std::vector<std::uint32_t> image(imageWidth * imageHeight);
    for (std::size_t index = 0; index < image.size(); ++index)
        image[index] = std::uint32_t(index * 2654435761u) | 1;
    for (const Steps& steps : everyTurn) {
        SCOPED_TRACE(testing::Message()
                     << imageWidth << "x" << imageHeight << ", column step (" << steps.columnDX << ", "
                     << steps.columnDY << "), row step (" << steps.rowDX << ", " << steps.rowDY << ")");
        const Placed placed = place(steps, imageWidth, imageHeight);
        std::vector<std::uint32_t> device(placed.width * placed.height, untouched);
        placed.permutation.apply(image, imageWidth, imageHeight, device, placed.width);
        const auto expected = movedOneByOne(placed, image, imageWidth, imageHeight);
        const auto [differs, _] = std::mismatch(device.begin(), device.end(), expected.begin());
        if (differs != device.end()) {
            const auto at = std::size_t(differs - device.begin());
            ADD_FAILURE() << "device pixel (" << at % placed.width << ", " << at / placed.width << ") is "
                          << std::hex << *differs << ", one by one it is " << expected[at];
        }
    }
}

} // namespace

TEST(CGPixelPermutation, EveryTurnMatchesMovingOnePixelAtATime) {
    // Single rows and columns, sizes below, at and past the blocks of 4 and 16 and a line of 16 pixels, and
    // images of several tiles of 256 rows, the last one ragged.
    const std::pair<std::size_t, std::size_t> sizes[] = {{1, 1},    {1, 37},  {37, 1},   {4, 4},    {3, 17},
                                                         {16, 16},  {17, 5},  {63, 65},  {64, 64},  {65, 63},
                                                         {129, 67}, {200, 1}, {1, 1100}, {21, 1030}};
    for (const auto& [width, height] : sizes)
        expectSameAsOneByOne(width, height);
}

TEST(CGPixelPermutation, APhotoSizedTurnSplitOverTheCoresMatchesMovingOnePixelAtATime) {
    // Past a million pixels the work is shared between threads, and past 4 MiB the stores bypass the caches.
    expectSameAsOneByOne(1031, 1021);
}
