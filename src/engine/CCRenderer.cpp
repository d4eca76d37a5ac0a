#include "engine/CCRenderer.h"

#include <GLES2/gl2.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/Log.h"

namespace {

// uint16 indices address 65536 vertices: 16384 quads per draw call.
constexpr std::size_t kMaxQuads = 16384;

const char* kVertexShader = R"(
attribute vec2 a_position;
attribute vec4 a_color;
attribute vec2 a_texCoord;
uniform vec4 u_projection;
varying lowp vec4 v_color;
varying mediump vec2 v_texCoord;
void main() {
    gl_Position = vec4(a_position * u_projection.xy + u_projection.zw, 0.0, 1.0);
    v_color = a_color;
    v_texCoord = a_texCoord;
}
)";

const char* kFragmentShader = R"(
varying lowp vec4 v_color;
varying mediump vec2 v_texCoord;
uniform sampler2D u_texture;
void main() {
    gl_FragColor = v_color * texture2D(u_texture, v_texCoord);
}
)";

enum Attribute : GLuint { kPosition = 0, kColor = 1, kTexCoord = 2 };

GLuint compile(GLenum type, const char* source) {
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char info[1024] = {};
        glGetShaderInfoLog(shader, sizeof info, nullptr, info);
        platform::log("renderer: shader does not compile: %s", info);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

}  // namespace

CCRenderer& CCRenderer::shared() {
    static CCRenderer renderer;
    return renderer;
}

CCRenderer::CCRenderer() {
    stack_.reserve(64);
    stack_.push_back(CGAffineTransformIdentity);
    pending_.reserve(kMaxQuads);
}

bool CCRenderer::setUp() {
    // Names from an earlier context died with it: forget them without deleting.
    ready_ = false;
    ++generation_;
    program_ = vertexBuffer_ = indexBuffer_ = white_ = 0;
    pending_.clear();
    scissor_ = false;

    GLuint vs = compile(GL_VERTEX_SHADER, kVertexShader);
    GLuint fs = compile(GL_FRAGMENT_SHADER, kFragmentShader);
    if (!vs || !fs) return false;
    program_ = glCreateProgram();
    glAttachShader(program_, vs);
    glAttachShader(program_, fs);
    glBindAttribLocation(program_, kPosition, "a_position");
    glBindAttribLocation(program_, kColor, "a_color");
    glBindAttribLocation(program_, kTexCoord, "a_texCoord");
    glLinkProgram(program_);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint linked = 0;
    glGetProgramiv(program_, GL_LINK_STATUS, &linked);
    if (!linked) {
        platform::log("renderer: shader program does not link");
        return false;
    }
    uProjection_ = glGetUniformLocation(program_, "u_projection");
    uTexture_ = glGetUniformLocation(program_, "u_texture");
    glUseProgram(program_);
    glUniform1i(uTexture_, 0);

    std::vector<GLushort> indices(kMaxQuads * 6);
    for (std::size_t i = 0; i < kMaxQuads; ++i) {
        auto base = static_cast<GLushort>(i * 4);
        // tl, bl, tr, br: two triangles sharing the bl-tr diagonal.
        GLushort* q = &indices[i * 6];
        q[0] = base;
        q[1] = base + 1;
        q[2] = base + 2;
        q[3] = base + 3;
        q[4] = base + 2;
        q[5] = base + 1;
    }
    glGenBuffers(1, &indexBuffer_);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, indices.size() * sizeof(GLushort), indices.data(), GL_STATIC_DRAW);
    glGenBuffers(1, &vertexBuffer_);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
    glBufferData(GL_ARRAY_BUFFER, kMaxQuads * sizeof(ccV2F_C4B_T2F_Quad), nullptr, GL_STREAM_DRAW);

    glActiveTexture(GL_TEXTURE0);
    glGenTextures(1, &white_);
    glBindTexture(GL_TEXTURE_2D, white_);
    const std::uint8_t white[4] = {255, 255, 255, 255};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);

    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_SCISSOR_TEST);
    glEnable(GL_BLEND);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    ready_ = true;
    return true;
}

void CCRenderer::tearDown() {
    if (ready_) {
        pending_.clear();
        glDeleteProgram(program_);
        glDeleteBuffers(1, &vertexBuffer_);
        glDeleteBuffers(1, &indexBuffer_);
        glDeleteTextures(1, &white_);
    }
    ready_ = false;
    program_ = vertexBuffer_ = indexBuffer_ = white_ = 0;
}

void CCRenderer::setTarget(const Target& target) {
    flush();
    if (target.framebuffer != 0 && target.framebuffer != target_.framebuffer) ++stats_.offscreenPasses;
    target_ = target;
    if (!ready_) return;
    glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
    glViewport(target.x, target.y, target.width, target.height);
    applyProjection();
    if (scissor_) applyScissorBox();
}

void CCRenderer::applyProjection() {
    float w = target_.widthPoints > 0 ? target_.widthPoints : 1;
    float h = target_.heightPoints > 0 ? target_.heightPoints : 1;
    glUseProgram(program_);
    glUniform4f(uProjection_, 2.0f / w, 2.0f / h, -1.0f, -1.0f);
}

void CCRenderer::clear(const ccColor4F& color) {
    flush();
    if (!ready_) return;
    // A clear obeys the scissor box and the colour mask; a clear means the whole target.
    if (scissor_) glDisable(GL_SCISSOR_TEST);
    glClearColor(color.r, color.g, color.b, color.a);
    glClear(GL_COLOR_BUFFER_BIT);
    if (countingPixels_) stats_.pixels += static_cast<double>(target_.width) * target_.height;
    if (scissor_) glEnable(GL_SCISSOR_TEST);
}

std::size_t CCRenderer::saveStack() {
    std::size_t mark = stack_.size();
    stack_.push_back(CGAffineTransformIdentity);
    return mark;
}

void CCRenderer::restoreStack(std::size_t mark) {
    if (mark >= 1 && mark <= stack_.size()) stack_.resize(mark);
}

void CCRenderer::drawQuads(const ccV2F_C4B_T2F_Quad* quads, std::size_t count, const CGAffineTransform& m,
                           unsigned texture, ccBlendFunc blend) {
    if (!ready_ || count == 0) return;
    if (texture == 0) texture = white_;
    if (!pending_.empty() && (texture != pendingTexture_ || blend != pendingBlend_)) flush();
    pendingTexture_ = texture;
    pendingBlend_ = blend;
    const bool occluding = occluder_ && occluderFramebuffer_ == target_.framebuffer;
    for (std::size_t i = 0; i < count; ++i) {
        ccV2F_C4B_T2F_Quad q = quads[i];
        for (ccV2F_C4B_T2F* v : {&q.tl, &q.bl, &q.tr, &q.br}) v->vertices = CGPointApplyAffineTransform(v->vertices, m);
        if (!occluding || !queueAroundOccluder(q)) queue(q);
    }
}

void CCRenderer::queue(const ccV2F_C4B_T2F_Quad& q) {
    if (pending_.size() == kMaxQuads) flush();
    if (countingPixels_) stats_.pixels += coveredPixels(q);
    pending_.push_back(q);
}

void CCRenderer::setOccluder(const CGRect& rect) {
    occluder_ = rect.size.width > 0 && rect.size.height > 0;
    occluderRect_ = rect;
    occluderFramebuffer_ = target_.framebuffer;
}

bool CCRenderer::queueAroundOccluder(const ccV2F_C4B_T2F_Quad& q) {
    // Upright (possibly flipped) quads of one colour only: their pieces then
    // draw exactly the pixels the whole would, texture coordinates being
    // linear across the quad.
    if (q.tl.vertices.x != q.bl.vertices.x || q.tr.vertices.x != q.br.vertices.x ||
        q.tl.vertices.y != q.tr.vertices.y || q.bl.vertices.y != q.br.vertices.y)
        return false;
    const ccColor4B c = q.tl.colors;
    for (const ccColor4B& o : {q.bl.colors, q.tr.colors, q.br.colors})
        if (o.r != c.r || o.g != c.g || o.b != c.b || o.a != c.a) return false;
    const float left = q.tl.vertices.x, right = q.tr.vertices.x, top = q.tl.vertices.y, bottom = q.bl.vertices.y;
    const float x0 = std::min(left, right), x1 = std::max(left, right);
    const float y0 = std::min(top, bottom), y1 = std::max(top, bottom);
    const float ox0 = occluderRect_.origin.x, ox1 = ox0 + occluderRect_.size.width;
    const float oy0 = occluderRect_.origin.y, oy1 = oy0 + occluderRect_.size.height;
    if (x1 <= ox0 || x0 >= ox1 || y1 <= oy0 || y0 >= oy1 || left == right || top == bottom) return false;

    // A piece [px0, px1] x [py0, py1] of the quad, its texture coordinates
    // interpolated from the corners.
    auto piece = [&](float px0, float px1, float py0, float py1) {
        if (px1 <= px0 || py1 <= py0) return;
        auto corner = [&](float x, float y) {
            const float s = (x - left) / (right - left), t = (y - top) / (bottom - top);
            ccV2F_C4B_T2F v;
            v.vertices = {x, y};
            v.colors = c;
            const float topU = q.tl.u + (q.tr.u - q.tl.u) * s, topV = q.tl.v + (q.tr.v - q.tl.v) * s;
            const float lowU = q.bl.u + (q.br.u - q.bl.u) * s, lowV = q.bl.v + (q.br.v - q.bl.v) * s;
            v.u = topU + (lowU - topU) * t;
            v.v = topV + (lowV - topV) * t;
            return v;
        };
        // Corners in the quad's own orientation, so front faces stay front.
        const float l = left < right ? px0 : px1, r = left < right ? px1 : px0;
        const float tp = top > bottom ? py1 : py0, bt = top > bottom ? py0 : py1;
        queue({corner(l, tp), corner(l, bt), corner(r, tp), corner(r, bt)});
    };
    const float my0 = std::max(y0, oy0), my1 = std::min(y1, oy1);
    piece(x0, x1, y0, my0);              // below
    piece(x0, x1, my1, y1);              // above
    piece(x0, std::min(x1, ox0), my0, my1);  // left of it
    piece(std::max(x0, ox1), x1, my0, my1);  // right of it
    return true;
}

void CCRenderer::flush() {
    if (pending_.empty() || !ready_) {
        pending_.clear();
        return;
    }
    glUseProgram(program_);
    bindTexture(pendingTexture_);
    applyBlend(pendingBlend_);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
    // New storage of just the size needed each time, so the driver need not
    // wait for the previous draw that still reads the old one.
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(pending_.size() * sizeof(ccV2F_C4B_T2F_Quad)),
                 pending_.data(), GL_STREAM_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_);
    const GLsizei stride = sizeof(ccV2F_C4B_T2F);
    glEnableVertexAttribArray(kPosition);
    glEnableVertexAttribArray(kColor);
    glEnableVertexAttribArray(kTexCoord);
    glVertexAttribPointer(kPosition, 2, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(ccV2F_C4B_T2F, vertices)));
    glVertexAttribPointer(kColor, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                          reinterpret_cast<const void*>(offsetof(ccV2F_C4B_T2F, colors)));
    glVertexAttribPointer(kTexCoord, 2, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(ccV2F_C4B_T2F, u)));
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(pending_.size() * 6), GL_UNSIGNED_SHORT, nullptr);
    stats_.drawCalls += 1;
    stats_.quads += static_cast<long>(pending_.size());
    pending_.clear();
}

// Texture and blend state are set on every draw call rather than cached:
// masking nodes may change GL state behind our back, and a draw call costs
// far more than these two calls.
// (one, zero) writes the source as it is: blending is switched off for it,
// which spares the read of the target on a software renderer.
void CCRenderer::applyBlend(ccBlendFunc blend) {
    if (blend == kCCBlendFuncOpaque) {
        glDisable(GL_BLEND);
        return;
    }
    glEnable(GL_BLEND);
    glBlendFunc(blend.src, blend.dst);
}

void CCRenderer::bindTexture(unsigned texture) {
    if (!ready_) return;
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
}

void CCRenderer::deleteTexture(unsigned texture, unsigned generation) {
    if (!ready_ || texture == 0 || generation != generation_) return;
    if (!pending_.empty() && pendingTexture_ == texture) flush();
    GLuint name = texture;
    glDeleteTextures(1, &name);
}

void CCRenderer::enableScissor(int x, int y, int width, int height) {
    flush();
    scissor_ = true;
    scissorBox_ = {x, y, width, height};
    if (!ready_) return;
    glEnable(GL_SCISSOR_TEST);
    applyScissorBox();
}

void CCRenderer::applyScissorBox() {
    // Edges are mapped, not sizes, so neighbouring boxes still meet exactly.
    const double sx = target_.pixelsWide > 0 ? target_.width / double(target_.pixelsWide) : 1.0;
    const double sy = target_.pixelsHigh > 0 ? target_.height / double(target_.pixelsHigh) : 1.0;
    const ScissorBox& b = scissorBox_;
    const long left = std::lround(b.x * sx), right = std::lround((double(b.x) + b.width) * sx);
    const long bottom = std::lround(b.y * sy), top = std::lround((double(b.y) + b.height) * sy);
    glScissor(static_cast<GLint>(target_.x + left), static_cast<GLint>(target_.y + bottom),
              static_cast<GLsizei>(std::max(0L, right - left)), static_cast<GLsizei>(std::max(0L, top - bottom)));
}

double CCRenderer::coveredPixels(const ccV2F_C4B_T2F_Quad& q) const {
    const double sx = target_.widthPoints > 0 ? target_.width / double(target_.widthPoints) : 1.0;
    const double sy = target_.heightPoints > 0 ? target_.height / double(target_.heightPoints) : 1.0;
    // The clip: the viewport, narrowed by the scissor box (in the same pixels
    // as the box applyScissorBox sets).
    double x0 = 0, y0 = 0, x1 = target_.width, y1 = target_.height;
    if (scissor_) {
        const double bx = target_.pixelsWide > 0 ? target_.width / double(target_.pixelsWide) : 1.0;
        const double by = target_.pixelsHigh > 0 ? target_.height / double(target_.pixelsHigh) : 1.0;
        x0 = std::max(x0, scissorBox_.x * bx);
        y0 = std::max(y0, scissorBox_.y * by);
        x1 = std::min(x1, (scissorBox_.x + scissorBox_.width) * bx);
        y1 = std::min(y1, (scissorBox_.y + scissorBox_.height) * by);
        if (x1 <= x0 || y1 <= y0) return 0;
    }
    // The quad as a polygon, clipped edge by edge, then its area.
    struct P {
        double x, y;
    };
    std::vector<P> poly{{q.tl.vertices.x * sx, q.tl.vertices.y * sy},
                        {q.bl.vertices.x * sx, q.bl.vertices.y * sy},
                        {q.br.vertices.x * sx, q.br.vertices.y * sy},
                        {q.tr.vertices.x * sx, q.tr.vertices.y * sy}};
    auto clipBy = [&poly](auto inside, auto cross) {
        std::vector<P> out;
        for (std::size_t i = 0; i < poly.size(); ++i) {
            const P a = poly[i], b = poly[(i + 1) % poly.size()];
            const bool ina = inside(a), inb = inside(b);
            if (ina) out.push_back(a);
            if (ina != inb) out.push_back(cross(a, b));
        }
        poly = std::move(out);
    };
    auto atX = [](double x) {
        return [x](P a, P b) { return P{x, a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x)}; };
    };
    auto atY = [](double y) {
        return [y](P a, P b) { return P{a.x + (b.x - a.x) * (y - a.y) / (b.y - a.y), y}; };
    };
    clipBy([x0](P p) { return p.x >= x0; }, atX(x0));
    clipBy([x1](P p) { return p.x <= x1; }, atX(x1));
    clipBy([y0](P p) { return p.y >= y0; }, atY(y0));
    clipBy([y1](P p) { return p.y <= y1; }, atY(y1));
    double area = 0;
    for (std::size_t i = 0; i < poly.size(); ++i) {
        const P a = poly[i], b = poly[(i + 1) % poly.size()];
        area += a.x * b.y - b.x * a.y;
    }
    return std::fabs(area) / 2;
}

void CCRenderer::disableScissor() {
    flush();
    scissor_ = false;
    if (ready_) glDisable(GL_SCISSOR_TEST);
}

void CCRenderer::setColorMask(bool r, bool g, bool b, bool a) {
    flush();
    if (ready_) glColorMask(r, g, b, a);
}
