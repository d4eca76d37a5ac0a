// What each target's HTTP back-end (desktop/, web/) provides behind Http.h,
// which checks every address first: only http(s) reaches these.
#pragma once

#include <string>

#include "platform/Http.h"

namespace platform {

HttpResponse performHttpRequest(const HttpRequest& request);
bool openWebAddress(const std::string& url);

}  // namespace platform
