#include "scenes/game/Generator.h"

#include <algorithm>
#include <cstdint>

#include "platform/Log.h"
#include "platform/Random.h"

namespace {

struct Ranges {
    int min;   // lowest left operand of an addition
    int max;   // every sum stays below it
    int lo;    // lowest left factor
    int hi;    // left factors stay below it
    int pmax;  // highest product
};

// The difficulty comes from the preferences file, which may hold anything;
// an unknown one is taken as the nearest known level rather than reading
// past the table or drawing below a zero bound.
int levelOf(int difficult) { return std::clamp(difficult, 1, 3); }

Ranges rangesFor(int level) {
    static constexpr Ranges table[] = {
        {0, 10, 1, 6, 10},
        {5, 25, 5, 10, 25},
        {35, 95, 7, 33, 95},
    };
    return table[level - 1];
}

// Fills the four wrong answers from the eight candidates start..start+7,
// skipping the answer itself and anything below floor. The caller's start
// keeps answer+1..answer+5 among the candidates, so four are always found.
void fillWrongAnswers(Generator::Task& task, int start, int floor) {
    const int answer = task[Generator::kAnswerIndex];
    std::size_t kept = Generator::kFirstWrongIndex;
    for (int candidate = start; candidate < start + 8 && kept < task.size(); ++candidate) {
        if (candidate == answer || candidate < floor) continue;
        task[kept++] = candidate;
    }
}

// Wrong answers for subtraction, multiplication and division: close to the
// answer, never below 1, and all below it for a large answer.
void fillCommonWrongAnswers(Generator::Task& task) {
    const int answer = task[Generator::kAnswerIndex];
    fillWrongAnswers(task, answer > 95 ? answer - 4 : answer - 2, 1);
}

}  // namespace

Generator::Task Generator::randomData(int type, int difficult) {
    if (type == 5) type = platform::rand() % 4 + 1;
    switch (type) {
        case 1: return addition(difficult);
        case 2: return subtraction(difficult);
        case 4: return multyplication(difficult);
        default: return division(difficult);
    }
}

Generator::Task Generator::addition(int difficult) {
    const Ranges r = rangesFor(levelOf(difficult));
    const int a = r.min + platform::randomBelow(r.max - r.min);
    const int b = platform::randomBelow(r.max - a);
    platform::log("a=%i\nb=%i", a, b);
    Task task{kAddition, a, b, a + b};
    const int sum = a + b;
    // Near the top of the range the wrong answers go below the sum, where
    // the range still has room for them.
    fillWrongAnswers(task, sum > r.max - 4 ? sum - 4 : sum - 2, r.min);
    return task;
}

Generator::Task Generator::subtraction(int difficult) {
    const Task sum = addition(difficult);
    Task task{kSubtraction, sum[kAnswerIndex], sum[kLeftIndex],
              sum[kAnswerIndex] - sum[kLeftIndex]};
    fillCommonWrongAnswers(task);
    return task;
}

Generator::Task Generator::multyplication(int difficult) {
    const int level = levelOf(difficult);
    const Ranges r = rangesFor(level);
    const int x = r.lo + platform::randomBelow(r.hi - r.lo);
    const int bound = (r.pmax + 2) / x + 1;
    int n = platform::randomBelow(bound);
    // The hardest level wants no trivial 0, 1 or 2 factors; the bound always
    // reaches 3 there, so this ends.
    if (level == 3) {
        while (n < 3) n = platform::randomBelow(bound);
    }
    while (x * n > r.pmax) --n;
    Task task{kMultiplication, x, n, x * n};
    fillCommonWrongAnswers(task);
    return task;
}

Generator::Task Generator::division(int difficult) {
    const Task product = multyplication(difficult);
    const int p = product[kAnswerIndex];
    const int x = product[kLeftIndex];
    Task task{kDivision, p, x, p / x};
    fillCommonWrongAnswers(task);
    return task;
}
