#include "scenes/game/Generator.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/Random.h"

namespace {

using Task = Generator::Task;

constexpr int kOp = Generator::kOperationIndex;
constexpr int kLeft = Generator::kLeftIndex;
constexpr int kRight = Generator::kRightIndex;
constexpr int kAnswer = Generator::kAnswerIndex;

constexpr std::uint64_t kSeeds = 20;
constexpr int kDrawsPerSeed = 1500;

// Every operand draw logs a line; keep them out of the test output.
class GeneratorTest : public ::testing::Test {
protected:
    void SetUp() override { ::testing::internal::CaptureStderr(); }
    void TearDown() override { (void)::testing::internal::GetCapturedStderr(); }

    // Calls make() over many seeded draws and hands each task to check().
    static void forManyDraws(const std::function<Task()>& make,
                             const std::function<void(const Task&)>& check) {
        for (std::uint64_t seed = 1; seed <= kSeeds; ++seed) {
            platform::seedRandom(seed);
            for (int i = 0; i < kDrawsPerSeed; ++i) {
                check(make());
                if (::testing::Test::HasFatalFailure()) return;
            }
        }
    }

    // Draws until a task meets want(); fails when none does.
    static Task drawUntil(const std::function<Task()>& make,
                          const std::function<bool(const Task&)>& want) {
        platform::seedRandom(7);
        for (int i = 0; i < 200000; ++i) {
            Task t = make();
            if (want(t)) return t;
        }
        ADD_FAILURE() << "no such task drawn";
        return Task{};
    }
};

std::vector<int> wrongOf(const Task& t) { return {t[4], t[5], t[6], t[7]}; }

std::string show(const Task& t) {
    std::string s = "[";
    for (std::size_t i = 0; i < t.size(); ++i) s += (i ? ", " : "") + std::to_string(t[i]);
    return s + "]";
}

// What holds for the wrong answers of every operation: ascending, distinct,
// none equal to the answer, none below the floor. Above the top they are the
// four numbers just below the answer; otherwise the two either side, or,
// where the floor cuts that window off, the nearest ones above it.
void expectWrongAnswersSound(const Task& t, int floor, int top) {
    const int a = t[kAnswer];
    for (int i = 4; i < 8; ++i) {
        EXPECT_NE(t[i], a) << show(t);
        EXPECT_GE(t[i], floor) << show(t);
        if (i > 4) {
            EXPECT_LT(t[i - 1], t[i]) << show(t);
        }
    }
    if (a > top) {
        EXPECT_EQ(wrongOf(t), (std::vector<int>{a - 4, a - 3, a - 2, a - 1})) << show(t);
    } else if (a - 2 >= floor) {
        EXPECT_EQ(wrongOf(t), (std::vector<int>{a - 2, a - 1, a + 1, a + 2})) << show(t);
    } else {
        EXPECT_GE(t[4], a - 1) << show(t);
        EXPECT_LE(t[7], a + 5) << show(t);
    }
}

// Subtraction, multiplication and division share one floor and top.
void expectCommonWrongAnswers(const Task& t) { expectWrongAnswersSound(t, 1, 95); }

struct AdditionRange {
    int difficult, min, max;
};
constexpr AdditionRange kAdditionRanges[] = {{1, 0, 10}, {2, 5, 25}, {3, 35, 95}};

TEST_F(GeneratorTest, AdditionStaysInItsRangeAndReachesBothEnds) {
    for (const auto& r : kAdditionRanges) {
        SCOPED_TRACE("difficulty " + std::to_string(r.difficult));
        std::set<int> lefts, sums, rights;
        forManyDraws([&] { return Generator::addition(r.difficult); }, [&](const Task& t) {
            EXPECT_EQ(t[kOp], Generator::kAddition);
            EXPECT_GE(t[kLeft], r.min) << show(t);
            EXPECT_GE(t[kRight], 0) << show(t);
            EXPECT_EQ(t[kAnswer], t[kLeft] + t[kRight]) << show(t);
            EXPECT_LE(t[kAnswer], r.max - 1) << show(t);
            expectWrongAnswersSound(t, r.min, r.max - 4);
            lefts.insert(t[kLeft]);
            rights.insert(t[kRight]);
            sums.insert(t[kAnswer]);
        });
        EXPECT_EQ(*lefts.begin(), r.min);
        EXPECT_EQ(*lefts.rbegin(), r.max - 1);
        EXPECT_EQ(*rights.begin(), 0);
        EXPECT_EQ(*sums.begin(), r.min);
        EXPECT_EQ(*sums.rbegin(), r.max - 1);
    }
}

TEST_F(GeneratorTest, AdditionWrongAnswersNearTheEdgesOfTheRange) {
    auto sumAt = [&](int difficult, int sum) {
        return drawUntil([&] { return Generator::addition(difficult); },
                         [&](const Task& t) { return t[kAnswer] == sum; });
    };
    EXPECT_EQ(wrongOf(sumAt(1, 6)), (std::vector<int>{4, 5, 7, 8}));
    for (int sum : {7, 8, 9})
        EXPECT_EQ(wrongOf(sumAt(1, sum)), (std::vector<int>{sum - 4, sum - 3, sum - 2, sum - 1}));
    EXPECT_EQ(wrongOf(sumAt(1, 0)), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(wrongOf(sumAt(1, 1)), (std::vector<int>{0, 2, 3, 4}));
    EXPECT_EQ(wrongOf(sumAt(2, 5)), (std::vector<int>{6, 7, 8, 9}));
    EXPECT_EQ(wrongOf(sumAt(2, 6)), (std::vector<int>{5, 7, 8, 9}));
    EXPECT_EQ(wrongOf(sumAt(2, 22)), (std::vector<int>{18, 19, 20, 21}));
    EXPECT_EQ(wrongOf(sumAt(3, 35)), (std::vector<int>{36, 37, 38, 39}));
    EXPECT_EQ(wrongOf(sumAt(3, 94)), (std::vector<int>{90, 91, 92, 93}));
}

TEST_F(GeneratorTest, AdditionLogsItsOperands) {
    platform::seedRandom(3);
    (void)::testing::internal::GetCapturedStderr();
    ::testing::internal::CaptureStderr();
    const Task t = Generator::addition(2);
    const std::string log = ::testing::internal::GetCapturedStderr();
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(log, "a=" + std::to_string(t[kLeft]) + "\nb=" + std::to_string(t[kRight]) + "\n");
}

TEST_F(GeneratorTest, SubtractionUndoesAnAddition) {
    for (const auto& r : kAdditionRanges) {
        SCOPED_TRACE("difficulty " + std::to_string(r.difficult));
        std::set<int> answers;
        forManyDraws([&] { return Generator::subtraction(r.difficult); }, [&](const Task& t) {
            EXPECT_EQ(t[kOp], Generator::kSubtraction);
            EXPECT_GE(t[kRight], r.min) << show(t);
            EXPECT_LE(t[kLeft], r.max - 1) << show(t);
            EXPECT_GE(t[kAnswer], 0) << show(t);
            EXPECT_EQ(t[kLeft] - t[kRight], t[kAnswer]) << show(t);
            expectCommonWrongAnswers(t);
            answers.insert(t[kAnswer]);
        });
        EXPECT_EQ(*answers.begin(), 0);
        EXPECT_EQ(*answers.rbegin(), r.max - 1 - r.min);
    }
}

TEST_F(GeneratorTest, SmallAnswersGetWrongAnswersFromOneUp) {
    auto answerAt = [&](int answer) {
        return drawUntil([] { return Generator::subtraction(1); },
                         [&](const Task& t) { return t[kAnswer] == answer; });
    };
    EXPECT_EQ(wrongOf(answerAt(0)), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(wrongOf(answerAt(1)), (std::vector<int>{2, 3, 4, 5}));
    EXPECT_EQ(wrongOf(answerAt(2)), (std::vector<int>{1, 3, 4, 5}));
    const Task zeroProduct = drawUntil([] { return Generator::multyplication(2); },
                                       [](const Task& t) { return t[kAnswer] == 0; });
    EXPECT_EQ(wrongOf(zeroProduct), (std::vector<int>{1, 2, 3, 4}));
}

struct ProductRange {
    int difficult, lo, hi, pmax;
};
constexpr ProductRange kProductRanges[] = {{1, 1, 6, 10}, {2, 5, 10, 25}, {3, 7, 33, 95}};

TEST_F(GeneratorTest, MultiplicationStaysInItsRange) {
    for (const auto& r : kProductRanges) {
        SCOPED_TRACE("difficulty " + std::to_string(r.difficult));
        std::set<int> factors, products;
        bool sawSmallFactor = false;
        forManyDraws([&] { return Generator::multyplication(r.difficult); }, [&](const Task& t) {
            EXPECT_EQ(t[kOp], Generator::kMultiplication);
            EXPECT_GE(t[kLeft], r.lo) << show(t);
            EXPECT_LT(t[kLeft], r.hi) << show(t);
            EXPECT_GE(t[kRight], 0) << show(t);
            EXPECT_EQ(t[kAnswer], t[kLeft] * t[kRight]) << show(t);
            EXPECT_LE(t[kAnswer], r.pmax) << show(t);
            expectCommonWrongAnswers(t);
            factors.insert(t[kLeft]);
            products.insert(t[kAnswer]);
            if (t[kRight] < 3) sawSmallFactor = true;
        });
        EXPECT_EQ(*factors.begin(), r.lo);
        EXPECT_EQ(*factors.rbegin(), r.hi - 1);
        if (r.difficult < 3) {
            EXPECT_TRUE(sawSmallFactor);
            EXPECT_EQ(*products.begin(), 0);
        }
        EXPECT_EQ(*products.rbegin(), r.pmax);
    }
}

TEST_F(GeneratorTest, HardestMultiplicationAvoidsSmallFactorsSaveThirtyTwoTimesTwo) {
    bool sawThirtyTwo = false;
    forManyDraws([] { return Generator::multyplication(3); }, [&](const Task& t) {
        if (t[kLeft] == 32) {
            sawThirtyTwo = true;
            EXPECT_EQ(t[kRight], 2) << show(t);
        } else {
            EXPECT_GE(t[kRight], 3) << show(t);
        }
    });
    EXPECT_TRUE(sawThirtyTwo);
}

TEST_F(GeneratorTest, DivisionIsExactAndNeverByZero) {
    for (const auto& r : kProductRanges) {
        SCOPED_TRACE("difficulty " + std::to_string(r.difficult));
        forManyDraws([&] { return Generator::division(r.difficult); }, [&](const Task& t) {
            EXPECT_EQ(t[kOp], Generator::kDivision);
            ASSERT_GE(t[kRight], r.lo) << show(t);
            EXPECT_LT(t[kRight], r.hi) << show(t);
            EXPECT_LE(t[kLeft], r.pmax) << show(t);
            EXPECT_EQ(t[kRight] * t[kAnswer], t[kLeft]) << show(t);
            expectCommonWrongAnswers(t);
        });
    }
}

TEST_F(GeneratorTest, TypeSelectsTheOperation) {
    struct Case {
        int type, op;
    };
    // The menu's third entry is division and its fourth multiplication;
    // unknown types fall back to division.
    const Case cases[] = {{1, Generator::kAddition},       {2, Generator::kSubtraction},
                          {3, Generator::kDivision},       {4, Generator::kMultiplication},
                          {0, Generator::kDivision},       {6, Generator::kDivision},
                          {-1, Generator::kDivision}};
    platform::seedRandom(11);
    for (const auto& c : cases)
        for (int difficult = 1; difficult <= 3; ++difficult)
            for (int i = 0; i < 50; ++i)
                EXPECT_EQ(Generator::randomData(c.type, difficult)[kOp], c.op)
                    << "type " << c.type << " difficulty " << difficult;
}

TEST_F(GeneratorTest, MixedReachesEveryOperationAndKeepsTheDifficulty) {
    std::set<int> ops;
    forManyDraws([] { return Generator::randomData(5, 3); }, [&](const Task& t) {
        ops.insert(t[kOp]);
        switch (t[kOp]) {
            case Generator::kAddition: EXPECT_GE(t[kLeft], 35) << show(t); break;
            case Generator::kSubtraction: EXPECT_GE(t[kRight], 35) << show(t); break;
            case Generator::kMultiplication: EXPECT_GE(t[kLeft], 7) << show(t); break;
            case Generator::kDivision: EXPECT_GE(t[kRight], 7) << show(t); break;
            default: ADD_FAILURE() << show(t);
        }
    });
    EXPECT_EQ(ops, (std::set<int>{1, 2, 3, 4}));
}

TEST_F(GeneratorTest, SameSeedGivesTheSameTasks) {
    auto run = [] {
        platform::seedRandom(42);
        std::vector<Task> tasks;
        for (int i = 0; i < 100; ++i) tasks.push_back(Generator::randomData(5, 2));
        return tasks;
    };
    EXPECT_EQ(run(), run());
}

// A corrupt preferences file can hand any difficulty over: it must give the
// nearest level's tasks, not read outside the ranges or divide by zero.
TEST_F(GeneratorTest, UnknownDifficultyActsAsTheNearestLevel) {
    for (int difficult : {0, -7, 4, 1000}) {
        SCOPED_TRACE("difficulty " + std::to_string(difficult));
        const bool high = difficult > 3;
        platform::seedRandom(5);
        for (int i = 0; i < 2000; ++i) {
            const Task sum = Generator::addition(difficult);
            EXPECT_GE(sum[kLeft], high ? 35 : 0) << show(sum);
            EXPECT_LE(sum[kAnswer], high ? 94 : 9) << show(sum);
            const Task product = Generator::multyplication(difficult);
            EXPECT_GE(product[kLeft], high ? 7 : 1) << show(product);
            EXPECT_LE(product[kAnswer], high ? 95 : 10) << show(product);
            if (high && product[kLeft] != 32) {
                EXPECT_GE(product[kRight], 3) << show(product);
            }
            const Task mixed = Generator::randomData(5, difficult);
            EXPECT_GE(mixed[kOp], 1);
            EXPECT_LE(mixed[kOp], 4);
        }
    }
}

}  // namespace
