#include "kit/KVTAnalyticsTracker.h"

#include <utility>
#include <vector>

#include "platform/BackgroundWork.h"
#include "platform/Http.h"
#include "platform/MainQueue.h"

namespace {

std::shared_ptr<KVTAnalyticsTracker>& shared() {
    static std::shared_ptr<KVTAnalyticsTracker> tracker;
    return tracker;
}

}  // namespace

KVTAnalyticsEvent KVTAnalyticsEvent::eventWithType(int type, const std::string& targetApp) { return {type, targetApp}; }

std::string KVTAnalyticsEvent::eventNameByType(int type) {
    static const char* const names[] = {"openApp", "openAppCatalog", "showApp", "clickApp", "showBanner", "clickBanner"};
    return type >= 0 && type < 6 ? names[type] : "";
}

KVTAnalyticsTracker* KVTAnalyticsTracker::sharedTracker() {
    if (!shared()) shared() = std::make_shared<KVTAnalyticsTracker>();
    return shared().get();
}

void KVTAnalyticsTracker::releaseSharedTracker() { shared().reset(); }

KVTAnalyticsTracker::KVTAnalyticsTracker(std::function<KVTAppIdentity()> identity) : identity_(std::move(identity)) {}

void KVTAnalyticsTracker::addEvent(int type) { addEvent(type, ""); }

void KVTAnalyticsTracker::addEvent(int type, const std::string& targetApp) {
    if (events_.size() >= kMaxEvents) events_.pop_front();
    events_.push_back(KVTAnalyticsEvent::eventWithType(type, targetApp));
}

void KVTAnalyticsTracker::commit() {
    if (!events_.empty()) {
        KVTAppIdentity app = identity_();
        if (app.token.empty()) {
            stopTracker();
            return;
        }
        std::vector<std::pair<std::string, std::string>> query{
            {"auth_token", app.authToken()}, {"appName", app.name}, {"appVersion", app.version}};
        for (std::size_t i = 0; i < events_.size(); ++i) {
            std::string action = "actions[" + std::to_string(i) + "]";
            query.emplace_back(action + "[actionType]", KVTAnalyticsEvent::eventNameByType(events_[i].eventType));
            if (!events_[i].targetAppName.empty()) query.emplace_back(action + "[targetAppName]", events_[i].targetAppName);
        }
        events_.clear();
        platform::runInBackground(
            [url = KVTWebService::url(KVTWebService::analyticsHost(), "/", query)] { dispatchWithURL(url); });
    }
    if (dispatchPeriod_ >= 1.0) scheduleCommit(dispatchPeriod_);
}

void KVTAnalyticsTracker::startTrackerWithDispatchPeriod(double seconds) {
    dispatchPeriod_ = seconds;
    scheduleCommit(seconds);
}

void KVTAnalyticsTracker::scheduleCommit(double seconds) {
    platform::performAfterDelay(seconds, [tracker = weak_from_this()] {
        if (auto self = tracker.lock()) self->commit();
    });
}

void KVTAnalyticsTracker::dispatchWithURL(const std::string& url) {
    platform::HttpRequest request;
    request.url = url;
    request.timeoutSeconds = KVTWebService::kRequestTimeout;
    request.maxBodyBytes = 64 * 1024;  // the answer is dropped anyway
    platform::httpRequest(request);
}
