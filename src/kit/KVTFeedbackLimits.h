// What one feedback message may hold, in characters (Unicode code points, as
// the form's text controls count them). The form stops typing there and the
// publisher service takes anything within them, so a message the form lets a
// parent write is never refused for its length.
#pragma once

#include <cstddef>

namespace KVTFeedbackLimits {

constexpr std::size_t kName = 200;
constexpr std::size_t kEmail = 200;
constexpr std::size_t kText = 5000;
// The largest form body those make: four UTF-8 bytes a character, each
// escaped as %XX, and the fields' keys.
constexpr std::size_t kBodyBytes = (kName + kEmail + kText) * 4 * 3 + 256;

}  // namespace KVTFeedbackLimits
