#include "engine/ccTypes.h"

#include <algorithm>

CGRect CGRectApplyAffineTransform(const CGRect& r, const CGAffineTransform& t) {
    const float left = CGRectGetMinX(r), right = CGRectGetMaxX(r);
    const float bottom = CGRectGetMinY(r), top = CGRectGetMaxY(r);
    const CGPoint corners[4] = {
        CGPointApplyAffineTransform({left, bottom}, t),
        CGPointApplyAffineTransform({right, bottom}, t),
        CGPointApplyAffineTransform({left, top}, t),
        CGPointApplyAffineTransform({right, top}, t),
    };
    float minX = corners[0].x, maxX = corners[0].x, minY = corners[0].y, maxY = corners[0].y;
    for (const CGPoint& p : corners) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    return CGRectMake(minX, minY, maxX - minX, maxY - minY);
}
