// The queue between a movie's decoding thread and its soundtrack stream.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "engine/audio/PcmQueue.h"

using audio::PcmQueue;

TEST(AudioPcmQueue, CarriesEveryFrameInOrderThroughASmallQueueThenEnds) {
    PcmQueue queue({44100, 2}, 1000);
    const long total = 10000;
    std::thread producer([&] {
        std::vector<int16_t> piece;
        for (long f = 0; f < total;) {
            long n = std::min(700L, total - f);
            piece.clear();
            for (long i = 0; i < n; ++i) {
                piece.push_back(int16_t((f + i) % 30000));
                piece.push_back(int16_t(-((f + i) % 30000)));
            }
            ASSERT_TRUE(queue.push(piece.data(), n));
            EXPECT_LE(queue.queuedFrames(), 1000 + 700);
            f += n;
        }
        queue.finish();
    });
    std::vector<int16_t> got;
    int16_t buffer[333 * 2];
    for (;;) {
        long n = queue.pop(buffer, 333);
        if (n == audio::kPcmEnd) {
            break;
        }
        if (n == 0) {
            std::this_thread::yield();  // none yet: not the end
            continue;
        }
        got.insert(got.end(), buffer, buffer + 2 * n);
    }
    producer.join();
    ASSERT_EQ(long(got.size()), 2 * total);
    for (long f = 0; f < total; ++f) {
        ASSERT_EQ(got[size_t(2 * f)], int16_t(f % 30000));
        ASSERT_EQ(got[size_t(2 * f + 1)], int16_t(-(f % 30000)));
    }
    EXPECT_EQ(queue.pop(buffer, 333), audio::kPcmEnd);  // stays ended
}

TEST(AudioPcmQueue, CloseWakesAWaitingProducerAndEndsTheStream) {
    PcmQueue queue({22050, 1}, 100);
    std::vector<int16_t> piece(500, 7);
    std::atomic<bool> returned{false};
    bool accepted = true;
    std::thread producer([&] {
        accepted = queue.push(piece.data(), 500);  // more than fits: waits
        returned = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(returned);
    queue.close();
    producer.join();
    EXPECT_FALSE(accepted);
    int16_t out[10];
    EXPECT_EQ(queue.pop(out, 10), audio::kPcmEnd);
    EXPECT_FALSE(queue.push(piece.data(), 1));
}

TEST(AudioPcmQueue, ClearDropsWhatIsQueuedWithoutEnding) {
    PcmQueue queue({22050, 1}, 100);
    std::vector<int16_t> piece(50, 7);
    ASSERT_TRUE(queue.push(piece.data(), 50));
    queue.clear();
    EXPECT_EQ(queue.queuedFrames(), 0);
    int16_t out[10];
    EXPECT_EQ(queue.pop(out, 10), 0);
    queue.finish();
    EXPECT_EQ(queue.pop(out, 10), audio::kPcmEnd);
}
