#include "scenes/learning/PackedPositions.h"

#include <algorithm>
#include <cstdlib>

#include "platform/Log.h"

CGPoint unpackPoint(std::int64_t v) { return {static_cast<float>(v / 1000), static_cast<float>(v % 1000)}; }

PackedAnimal unpackLearnAnimal(std::int64_t v) {
    PackedAnimal a;
    a.flipX = std::llabs(v) >= 1000000;
    a.position = unpackPoint(v % 1000000);
    return a;
}

std::vector<PackedAnimal> unpackLearnLayout(const platform::Value& layout, int page) {
    const std::int64_t claimed = layout["PointCont"].asInt();
    const platform::Value& points = layout["Points"];
    const auto placed = static_cast<std::int64_t>(points.size());
    if (claimed < 0 || claimed > placed) {
        platform::log("learn: page %d claims %lld animals and places %lld", page, static_cast<long long>(claimed),
                      static_cast<long long>(placed));
    }
    std::vector<PackedAnimal> animals;
    for (std::int64_t i = 0; i < std::clamp<std::int64_t>(claimed, 0, placed); ++i)
        animals.push_back(unpackLearnAnimal(points[i].asInt()));
    return animals;
}

PackedAnimal unpackCountAnimal(std::int64_t v, bool pad) {
    PackedAnimal a;
    a.flipX = std::llabs(v) >= 10000000;
    const std::int64_t k = v % 10000000;
    a.z = static_cast<int>(k / 1000000);
    const std::int64_t m = k % 1000000;
    std::int64_t x = m / 1000, y = m % 1000;
    if (!pad) {
        x = x * 480 / 1024;
        y = y * 320 / 768;
    }
    a.position = {static_cast<float>(x), static_cast<float>(y)};
    return a;
}
