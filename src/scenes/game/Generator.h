// Arithmetic tasks for the game: one operation, two operands, the correct
// answer and four wrong answers close to it. Stateless; every draw comes from
// the process-wide random source, so a fixed seed gives a fixed sequence.
#pragma once

#include <array>
#include <cstddef>

// A task is always eight integers:
//   [0] operation code (Generator::Operation)
//   [1] left operand
//   [2] right operand
//   [3] correct answer
//   [4..7] the four wrong answers, ascending, all different from the answer
// It reads "left <sign> right = answer"; the sign is the game's choice.
class Generator {
public:
    using Task = std::array<int, 8>;

    enum Operation : int {
        kAddition = 1,
        kSubtraction = 2,
        kMultiplication = 3,
        kDivision = 4,
    };

    enum Index : std::size_t {
        kOperationIndex = 0,
        kLeftIndex = 1,
        kRightIndex = 2,
        kAnswerIndex = 3,
        kFirstWrongIndex = 4,
    };

    // Menu types: 1 addition, 2 subtraction, 3 division, 4 multiplication,
    // 5 mixed (one of the four at random); anything else gives division.
    // Difficulty is 1 to 3; values outside are taken as the nearest of these.
    static Task randomData(int type, int difficult);

    static Task addition(int difficult);
    // left - right: the sum and left operand of an addition task.
    static Task subtraction(int difficult);
    static Task multyplication(int difficult);
    // product : factor of a multiplication task, so always exact and the
    // divisor never 0.
    static Task division(int difficult);

    Generator() = delete;
};
