// What the publisher's catalogue and banner saw and were tapped for, sent to
// the analytics host in batches.
//
// Events are kept in memory until commit() sends them all in one GET whose
// query carries them; the request runs on a thread of its own and its answer
// is not read. Without an access token in the content document nothing is
// sent and automatic commits stop. Main thread only, except the requests.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "kit/KVTWebService.h"

struct KVTAnalyticsEvent {
    int eventType = 0;
    std::string targetAppName;  // the other application the event is about; "" for none

    static KVTAnalyticsEvent eventWithType(int type, const std::string& targetApp);
    // "openApp", "openAppCatalog", "showApp", "clickApp", "showBanner",
    // "clickBanner" for 0 to 5; "" for any other type.
    static std::string eventNameByType(int type);
};

class KVTAnalyticsTracker : public std::enable_shared_from_this<KVTAnalyticsTracker> {
public:
    enum EventType { openApp = 0, openAppCatalog = 1, showApp = 2, clickApp = 3, showBanner = 4, clickBanner = 5 };

    // Events kept at most: while no token lets them go out they would pile up
    // without end, and one request must stay well within a URL's length.
    static constexpr std::size_t kMaxEvents = 64;

    // The one tracker of the process, made on first use.
    static KVTAnalyticsTracker* sharedTracker();
    // Drops it; the next sharedTracker() makes a new one.
    static void releaseSharedTracker();

    // Make trackers with std::make_shared: periodic commits hold them weakly.
    explicit KVTAnalyticsTracker(std::function<KVTAppIdentity()> identity = KVTAppIdentity::current);

    void addEvent(int type);
    void addEvent(int type, const std::string& targetApp);
    void commit();
    // Commits every `seconds` from now on (nothing in the game asks for it).
    void startTrackerWithDispatchPeriod(double seconds);
    void stopTracker() { dispatchPeriod_ = 0; }

    // Performs the request and ignores the answer; blocks the calling thread.
    static void dispatchWithURL(const std::string& url);

    const std::deque<KVTAnalyticsEvent>& events() const { return events_; }
    double dispatchPeriod() const { return dispatchPeriod_; }

private:
    void scheduleCommit(double seconds);

    std::function<KVTAppIdentity()> identity_;
    std::deque<KVTAnalyticsEvent> events_;
    double dispatchPeriod_ = 0;
};
