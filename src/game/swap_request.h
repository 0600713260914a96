// swap_request.h -- a swap of two neighbouring squares, as the player asks for it and the hint shows it
#pragma once

#include <cstdint>

namespace quarzil {

// A waiting move: the first square and the step to the second (one of dcol, drow is +-1).
struct SwapRequest {
    int8_t col;
    int8_t row;
    int8_t dcol;
    int8_t drow;
};

}  // namespace quarzil
