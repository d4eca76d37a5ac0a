// Work on threads of its own: results come back on the main thread only for
// owners still alive, and the end of the program aborts what hangs and joins.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/BackgroundWork.h"
#include "platform/Http.h"
#include "support/HttpStandIn.h"

using namespace std::chrono;

namespace {

class BackgroundWork : public ::testing::Test {
protected:
    void SetUp() override {
        platform::markMainThread();
        platform::beginBackgroundWork();
    }
    void TearDown() override {
        platform::waitForBackgroundWork();
        platform::drainMainQueue(0);
    }
};

}  // namespace

TEST_F(BackgroundWork, ResultsReachTheMainThreadOnlyWhileTheirOwnerLives) {
    platform::WorkOwner kept;
    auto gone = std::make_unique<platform::WorkOwner>();
    std::thread::id workedOn, doneOn;
    int keptGot = 0, goneGot = 0;
    platform::runInBackground<int>(
        kept,
        [&] {
            workedOn = std::this_thread::get_id();
            return 7;
        },
        [&](int& result) {
            doneOn = std::this_thread::get_id();
            keptGot = result;
        });
    platform::runInBackground<int>(*gone, [] { return 8; }, [&](int& result) { goneGot = result; });
    platform::waitForBackgroundWork();
    gone.reset();  // the asker went while its result waited for the main thread
    EXPECT_EQ(keptGot, 0) << "nothing comes back before the main thread drains its queue";
    platform::drainMainQueue(0);
    EXPECT_EQ(keptGot, 7);
    EXPECT_EQ(goneGot, 0);
    EXPECT_NE(workedOn, std::this_thread::get_id());
    EXPECT_EQ(doneOn, std::this_thread::get_id());
}

TEST_F(BackgroundWork, TheEndAbortsAHangingRequestAtOnceAndStartsNothingMore) {
    testsupport::HttpStandIn hanging([](testsupport::HttpExchange& ex) { ex.delaySeconds = 30; });
    platform::WorkOwner owner;
    platform::HttpResponse got;
    bool handedOver = false;
    platform::runInBackground<platform::HttpResponse>(
        owner,
        [url = hanging.url("/slow")] {
            platform::HttpRequest request;
            request.url = url;
            request.timeoutSeconds = 20;
            return platform::httpRequest(request);
        },
        [&](platform::HttpResponse& response) {
            handedOver = true;
            got = response;
        });
    while (hanging.requests().empty()) std::this_thread::sleep_for(milliseconds(5));

    auto start = steady_clock::now();
    platform::endBackgroundWork();
    EXPECT_LT(steady_clock::now() - start, seconds(2));
    bool ranAfterTheEnd = false;
    platform::runInBackground([&] { ranAfterTheEnd = true; });
    platform::waitForBackgroundWork();
    platform::drainMainQueue(0);
    EXPECT_FALSE(handedOver) << "nothing reaches the main thread once the program ends";
    EXPECT_FALSE(ranAfterTheEnd);

    // A new start (the harness boots again) sends requests again.
    platform::beginBackgroundWork();
    testsupport::HttpStandIn quick([](testsupport::HttpExchange& ex) { ex.responseBody = "hi"; });
    platform::runInBackground<platform::HttpResponse>(
        owner,
        [url = quick.url("/")] {
            platform::HttpRequest request;
            request.url = url;
            return platform::httpRequest(request);
        },
        [&](platform::HttpResponse& response) { got = response; });
    platform::waitForBackgroundWork();
    platform::drainMainQueue(0);
    EXPECT_EQ(got.body, "hi");
}
