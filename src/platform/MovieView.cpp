#include "platform/MovieView.h"

#include <GLES2/gl2.h>
#include <SDL.h>

#include <algorithm>
#include <cmath>

#include "platform/Log.h"

namespace platform {
namespace {

constexpr GLuint kPosition = 0;
constexpr GLuint kTexCoord = 1;

const char* kVertexShader = R"(
attribute vec2 a_position;
attribute vec2 a_texCoord;
varying vec2 v_texCoord;
void main() {
    gl_Position = vec4(a_position, 0.0, 1.0);
    v_texCoord = a_texCoord;
}
)";

const char* kFragmentShader = R"(
precision mediump float;
uniform sampler2D u_texture;
varying vec2 v_texCoord;
void main() {
    gl_FragColor = vec4(texture2D(u_texture, v_texCoord).rgb, 1.0);
}
)";

// The whole viewport as a strip: x, y, then the texture's s, t. Pictures
// arrive top row first, so the top of the screen takes t = 0.
const GLfloat kQuad[] = {
    -1, -1, 0, 1,  //
    1,  -1, 1, 1,  //
    -1, 1,  0, 0,  //
    1,  1,  1, 0,
};

GLuint compile(GLenum type, const char* source) {
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char text[512] = {};
        glGetShaderInfoLog(shader, sizeof text, nullptr, text);
        log("movie: cannot compile the picture shader: %s", text);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

}  // namespace

namespace {

// The id of the window whose context is current; 0 when none is.
unsigned currentWindow() {
    SDL_Window* window = SDL_GL_GetCurrentWindow();
    return window && SDL_GL_GetCurrentContext() ? SDL_GetWindowID(window) : 0;
}

}  // namespace

MovieView::~MovieView() {
    if (window_ && window_ == currentWindow()) {
        if (program_) glDeleteProgram(program_);
        GLuint names[] = {texture_, buffer_};
        if (texture_) glDeleteTextures(1, &names[0]);
        if (buffer_) glDeleteBuffers(1, &names[1]);
    }
}

void MovieView::forget() {
    program_ = texture_ = buffer_ = 0;
    textureWidth_ = textureHeight_ = 0;
    hasPicture_ = false;
}

bool MovieView::prepare() {
    unsigned window = currentWindow();
    if (!window) return false;
    if (window != window_) {
        forget();
        window_ = window;
    }
    if (program_) return true;
    GLuint vs = compile(GL_VERTEX_SHADER, kVertexShader);
    GLuint fs = compile(GL_FRAGMENT_SHADER, kFragmentShader);
    if (!vs || !fs) {
        if (vs) glDeleteShader(vs);
        if (fs) glDeleteShader(fs);
        return false;
    }
    GLuint program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glBindAttribLocation(program, kPosition, "a_position");
    glBindAttribLocation(program, kTexCoord, "a_texCoord");
    glLinkProgram(program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
        log("movie: cannot link the picture shader");
        glDeleteProgram(program);
        return false;
    }
    program_ = program;
    sampler_ = glGetUniformLocation(program_, "u_texture");

    GLint boundBuffer = 0;
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &boundBuffer);
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof kQuad, kQuad, GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(boundBuffer));
    buffer_ = buffer;
    return true;
}

void MovieView::setPicture(int width, int height, const std::uint8_t* rgba) {
    if (!rgba || width <= 0 || height <= 0 || !prepare()) return;
    GLint active = GL_TEXTURE0, bound = 0, unpack = 4;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    glActiveTexture(GL_TEXTURE0);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);  // RGBA rows are always whole words
    if (!texture_) {
        GLuint texture = 0;
        glGenTextures(1, &texture);
        texture_ = texture;
        glBindTexture(GL_TEXTURE_2D, texture_);
        // Any size of picture: no mipmaps, edges clamped.
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    } else {
        glBindTexture(GL_TEXTURE_2D, texture_);
    }
    if (width != textureWidth_ || height != textureHeight_) {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        textureWidth_ = width;
        textureHeight_ = height;
    } else {
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    }
    hasPicture_ = true;
    glPixelStorei(GL_UNPACK_ALIGNMENT, unpack);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
    glActiveTexture(static_cast<GLenum>(active));
}

void MovieView::draw() {
    SDL_Window* window = SDL_GL_GetCurrentWindow();
    if (!window || !prepare()) return;
    int dw = 0, dh = 0;
    SDL_GL_GetDrawableSize(window, &dw, &dh);
    if (dw <= 0 || dh <= 0) return;

    GLint viewport[4] = {};
    GLboolean mask[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    const bool scissor = glIsEnabled(GL_SCISSOR_TEST);
    const bool blend = glIsEnabled(GL_BLEND);

    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glViewport(0, 0, dw, dh);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);

    if (hasPicture_) {
        double fit = std::min(static_cast<double>(dw) / textureWidth_, static_cast<double>(dh) / textureHeight_);
        int w = std::max(1, static_cast<int>(std::lround(textureWidth_ * fit)));
        int h = std::max(1, static_cast<int>(std::lround(textureHeight_ * fit)));
        pictureRect_ = {(dw - w) / 2, (dh - h) / 2, w, h};

        GLint program = 0, active = GL_TEXTURE0, bound = 0, buffer = 0;
        GLint enabled[2] = {};
        glGetIntegerv(GL_CURRENT_PROGRAM, &program);
        glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
        glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &buffer);
        glGetVertexAttribiv(kPosition, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled[0]);
        glGetVertexAttribiv(kTexCoord, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled[1]);
        glActiveTexture(GL_TEXTURE0);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);

        glDisable(GL_BLEND);
        glViewport(pictureRect_.x, pictureRect_.y, pictureRect_.width, pictureRect_.height);
        glUseProgram(program_);
        glUniform1i(sampler_, 0);
        glBindTexture(GL_TEXTURE_2D, texture_);
        glBindBuffer(GL_ARRAY_BUFFER, buffer_);
        glEnableVertexAttribArray(kPosition);
        glEnableVertexAttribArray(kTexCoord);
        glVertexAttribPointer(kPosition, 2, GL_FLOAT, GL_FALSE, 4 * sizeof(GLfloat), nullptr);
        glVertexAttribPointer(kTexCoord, 2, GL_FLOAT, GL_FALSE, 4 * sizeof(GLfloat),
                              reinterpret_cast<const void*>(2 * sizeof(GLfloat)));
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);

        if (!enabled[0]) glDisableVertexAttribArray(kPosition);
        if (!enabled[1]) glDisableVertexAttribArray(kTexCoord);
        glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(buffer));
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
        glActiveTexture(static_cast<GLenum>(active));
        glUseProgram(static_cast<GLuint>(program));
        if (blend) glEnable(GL_BLEND);
    } else {
        pictureRect_ = {};
    }

    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    glColorMask(mask[0], mask[1], mask[2], mask[3]);
    if (scissor) glEnable(GL_SCISSOR_TEST);
}

}  // namespace platform
