// Value types of the engine: points, sizes, rectangles and affine transforms
// in the platform's graphics vocabulary, colours and blend functions.
//
// Geometry is in points, origin bottom-left, y up. Rectangle containment
// counts the left and bottom edges as inside and the right and top edges as
// outside, so adjacent rectangles never both claim a point.
#pragma once

#include <cmath>
#include <cstdint>

using CGFloat = float;

struct CGPoint {
    CGFloat x = 0;
    CGFloat y = 0;
    bool operator==(const CGPoint&) const = default;
};

struct CGSize {
    CGFloat width = 0;
    CGFloat height = 0;
    bool operator==(const CGSize&) const = default;
};

struct CGRect {
    CGPoint origin;
    CGSize size;
    bool operator==(const CGRect&) const = default;
};

inline constexpr CGPoint CGPointZero{0, 0};
inline constexpr CGSize CGSizeZero{0, 0};
inline constexpr CGRect CGRectZero{{0, 0}, {0, 0}};

inline CGPoint CGPointMake(CGFloat x, CGFloat y) { return {x, y}; }
inline CGPoint ccp(CGFloat x, CGFloat y) { return {x, y}; }
inline CGSize CGSizeMake(CGFloat w, CGFloat h) { return {w, h}; }
inline CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat w, CGFloat h) { return {{x, y}, {w, h}}; }

// Rectangles may have negative sizes; these read them the standard way.
inline CGFloat CGRectGetMinX(const CGRect& r) { return r.size.width < 0 ? r.origin.x + r.size.width : r.origin.x; }
inline CGFloat CGRectGetMaxX(const CGRect& r) { return r.size.width < 0 ? r.origin.x : r.origin.x + r.size.width; }
inline CGFloat CGRectGetMinY(const CGRect& r) { return r.size.height < 0 ? r.origin.y + r.size.height : r.origin.y; }
inline CGFloat CGRectGetMaxY(const CGRect& r) { return r.size.height < 0 ? r.origin.y : r.origin.y + r.size.height; }
inline CGFloat CGRectGetMidX(const CGRect& r) { return r.origin.x + r.size.width / 2; }
inline CGFloat CGRectGetMidY(const CGRect& r) { return r.origin.y + r.size.height / 2; }
inline CGFloat CGRectGetWidth(const CGRect& r) { return std::fabs(r.size.width); }
inline CGFloat CGRectGetHeight(const CGRect& r) { return std::fabs(r.size.height); }

inline bool CGRectContainsPoint(const CGRect& r, CGPoint p) {
    return p.x >= CGRectGetMinX(r) && p.x < CGRectGetMaxX(r) && p.y >= CGRectGetMinY(r) && p.y < CGRectGetMaxY(r);
}
inline bool CGRectIntersectsRect(const CGRect& a, const CGRect& b) {
    return CGRectGetMinX(a) < CGRectGetMaxX(b) && CGRectGetMinX(b) < CGRectGetMaxX(a) &&
           CGRectGetMinY(a) < CGRectGetMaxY(b) && CGRectGetMinY(b) < CGRectGetMaxY(a);
}
inline bool CGRectEqualToRect(const CGRect& a, const CGRect& b) { return a == b; }
inline bool CGSizeEqualToSize(const CGSize& a, const CGSize& b) { return a == b; }
inline bool CGPointEqualToPoint(const CGPoint& a, const CGPoint& b) { return a == b; }

inline CGPoint ccpAdd(CGPoint a, CGPoint b) { return {a.x + b.x, a.y + b.y}; }
inline CGPoint ccpSub(CGPoint a, CGPoint b) { return {a.x - b.x, a.y - b.y}; }
inline CGPoint ccpMult(CGPoint a, CGFloat s) { return {a.x * s, a.y * s}; }
inline CGPoint ccpNeg(CGPoint a) { return {-a.x, -a.y}; }
inline CGFloat ccpDot(CGPoint a, CGPoint b) { return a.x * b.x + a.y * b.y; }
inline CGFloat ccpLength(CGPoint a) { return std::sqrt(ccpDot(a, a)); }
inline CGFloat ccpDistance(CGPoint a, CGPoint b) { return ccpLength(ccpSub(a, b)); }

// The affine transform [a b 0; c d 0; tx ty 1] applied to row vectors:
// x' = a x + c y + tx, y' = b x + d y + ty.
struct CGAffineTransform {
    CGFloat a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
    bool operator==(const CGAffineTransform&) const = default;
};

inline constexpr CGAffineTransform CGAffineTransformIdentity{};

inline CGAffineTransform CGAffineTransformMake(CGFloat a, CGFloat b, CGFloat c, CGFloat d, CGFloat tx, CGFloat ty) {
    return {a, b, c, d, tx, ty};
}
inline CGPoint CGPointApplyAffineTransform(CGPoint p, const CGAffineTransform& t) {
    return {t.a * p.x + t.c * p.y + t.tx, t.b * p.x + t.d * p.y + t.ty};
}
inline CGSize CGSizeApplyAffineTransform(CGSize s, const CGAffineTransform& t) {
    return {t.a * s.width + t.c * s.height, t.b * s.width + t.d * s.height};
}
// t1 first, then t2.
inline CGAffineTransform CGAffineTransformConcat(const CGAffineTransform& t1, const CGAffineTransform& t2) {
    return {t1.a * t2.a + t1.b * t2.c,   t1.a * t2.b + t1.b * t2.d,   t1.c * t2.a + t1.d * t2.c,
            t1.c * t2.b + t1.d * t2.d,   t1.tx * t2.a + t1.ty * t2.c + t2.tx, t1.tx * t2.b + t1.ty * t2.d + t2.ty};
}
inline CGAffineTransform CGAffineTransformMakeTranslation(CGFloat tx, CGFloat ty) { return {1, 0, 0, 1, tx, ty}; }
inline CGAffineTransform CGAffineTransformMakeScale(CGFloat sx, CGFloat sy) { return {sx, 0, 0, sy, 0, 0}; }
// Counter-clockwise by angle radians in a y-up system.
inline CGAffineTransform CGAffineTransformMakeRotation(CGFloat angle) {
    CGFloat s = std::sin(angle), c = std::cos(angle);
    return {c, s, -s, c, 0, 0};
}
inline CGAffineTransform CGAffineTransformTranslate(const CGAffineTransform& t, CGFloat tx, CGFloat ty) {
    return CGAffineTransformConcat(CGAffineTransformMakeTranslation(tx, ty), t);
}
inline CGAffineTransform CGAffineTransformScale(const CGAffineTransform& t, CGFloat sx, CGFloat sy) {
    return CGAffineTransformConcat(CGAffineTransformMakeScale(sx, sy), t);
}
inline CGAffineTransform CGAffineTransformRotate(const CGAffineTransform& t, CGFloat angle) {
    return CGAffineTransformConcat(CGAffineTransformMakeRotation(angle), t);
}
// A singular transform is returned unchanged, as the platform does.
inline CGAffineTransform CGAffineTransformInvert(const CGAffineTransform& t) {
    CGFloat det = t.a * t.d - t.b * t.c;
    if (det == 0) return t;
    CGFloat inv = 1 / det;
    return {t.d * inv, -t.b * inv, -t.c * inv, t.a * inv, (t.c * t.ty - t.d * t.tx) * inv, (t.b * t.tx - t.a * t.ty) * inv};
}
// The axis-aligned box around the transformed rectangle.
CGRect CGRectApplyAffineTransform(const CGRect& r, const CGAffineTransform& t);

struct ccColor3B {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const ccColor3B&) const = default;
};
struct ccColor4B {
    std::uint8_t r = 0, g = 0, b = 0, a = 0;
    bool operator==(const ccColor4B&) const = default;
};
struct ccColor4F {
    float r = 0, g = 0, b = 0, a = 0;
    bool operator==(const ccColor4F&) const = default;
};

inline ccColor3B ccc3(std::uint8_t r, std::uint8_t g, std::uint8_t b) { return {r, g, b}; }
inline ccColor4B ccc4(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) { return {r, g, b, a}; }
inline ccColor4F ccc4f(float r, float g, float b, float a) { return {r, g, b, a}; }

inline constexpr ccColor3B ccWHITE{255, 255, 255};
inline constexpr ccColor3B ccBLACK{0, 0, 0};
inline constexpr ccColor3B ccRED{255, 0, 0};
inline constexpr ccColor3B ccGREEN{0, 255, 0};
inline constexpr ccColor3B ccBLUE{0, 0, 255};
inline constexpr ccColor3B ccYELLOW{255, 255, 0};
inline constexpr ccColor3B ccGRAY{166, 166, 166};

// GL blend factors, by value so that game code needs no GL header.
struct ccBlendFunc {
    unsigned src = 1;      // GL_ONE
    unsigned dst = 0x303;  // GL_ONE_MINUS_SRC_ALPHA
    bool operator==(const ccBlendFunc&) const = default;
};

inline constexpr unsigned CC_GL_ZERO = 0;
inline constexpr unsigned CC_GL_ONE = 1;
inline constexpr unsigned CC_GL_SRC_ALPHA = 0x302;
inline constexpr unsigned CC_GL_ONE_MINUS_SRC_ALPHA = 0x303;
inline constexpr unsigned CC_GL_DST_ALPHA = 0x304;
inline constexpr unsigned CC_GL_ONE_MINUS_DST_ALPHA = 0x305;

// Premultiplied alpha: the engine's default for textures and render targets.
inline constexpr ccBlendFunc kCCBlendFuncPremultiplied{CC_GL_ONE, CC_GL_ONE_MINUS_SRC_ALPHA};
// Opaque pictures drawn without blending.
inline constexpr ccBlendFunc kCCBlendFuncOpaque{CC_GL_ONE, CC_GL_ZERO};
// Straight (non-premultiplied) alpha.
inline constexpr ccBlendFunc kCCBlendFuncStraight{CC_GL_SRC_ALPHA, CC_GL_ONE_MINUS_SRC_ALPHA};

inline constexpr float kCCDegreesToRadians = 3.14159265358979323846f / 180.0f;
inline float CC_DEGREES_TO_RADIANS(float deg) { return deg * kCCDegreesToRadians; }
