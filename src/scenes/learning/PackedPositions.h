// Places packed into single integers in the content document: a point as
// x = v div 1000, y = v mod 1000, with higher decimal places for mirroring
// and depth. Division truncates, so negative values give negative places.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/ccTypes.h"
#include "platform/Value.h"

struct PackedAnimal {
    CGPoint position{};
    bool flipX = false;
    int z = 0;
};

// x * 1000 + y.
CGPoint unpackPoint(std::int64_t v);
// A learn page's animal: mirrored from 1000000 up (or -1000000 down), then x * 1000 + y.
PackedAnimal unpackLearnAnimal(std::int64_t v);
// The animals of a learn page's layout: "PointCont" of them from "Points".
// A layout that claims more than it places gives those it has, logged.
std::vector<PackedAnimal> unpackLearnLayout(const platform::Value& layout, int page);
// A count question's animal: f * 10000000 + z * 1000000 + x * 1000 + y, in
// tablet points; on a phone (pad false) the place is scaled to 480 x 320.
PackedAnimal unpackCountAnimal(std::int64_t v, bool pad);
