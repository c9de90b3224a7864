// The group's name moving diagonally across the screen, two columns and one
// row per step, between a paddle in column 0 and one in column 79. The paddle
// on the side the name is heading for follows its row, one row per step.

#include "effects/bouncing_name.h"

#include <cstdint>

namespace {

// The trailing blank is never drawn: putText leaves out a text's last byte.
constexpr char kName[] = "tarvonik ";
constexpr uint8_t kPaddleCell = 'I';
constexpr int32_t kPaddleColumn[2] = {0, kScreenColumns - 1};

int32_t nameColumn = 41;  // odd, 1..71: the letters stay within columns 1..78
int32_t nameRow = 10;
int32_t columnVelocity = 1;
int32_t rowVelocity = 1;
int32_t paddleRow[2] = {10, 10};  // centres, 1..22

void followName(int32_t& centre)
{
    if (centre < nameRow && centre < kScreenRows - 2)
        ++centre;
    if (centre > nameRow && centre > 1)
        --centre;
}

}  // namespace

void drawBouncingName(ScreenBuffer& screen)
{
    if (nameColumn == 1 || nameColumn == 71)
        columnVelocity = -columnVelocity;
    if (nameRow == 0 || nameRow == kScreenRows - 1)
        rowVelocity = -rowVelocity;
    nameColumn += 2 * columnVelocity;
    nameRow += rowVelocity;

    followName(paddleRow[columnVelocity == 1 ? 1 : 0]);

    putText(screen, nameRow, nameColumn, kName);
    for (int side = 0; side < 2; ++side)
        for (int32_t row = paddleRow[side] - 1; row <= paddleRow[side] + 1; ++row)
            putCell(screen, row, kPaddleColumn[side], kPaddleCell);
}
