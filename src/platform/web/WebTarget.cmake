# The web target's libraries: everything from the prefix scripts/web-deps
# builds from Debian's sources (NM_WEB_DEPS), under the same target names as
# the desktop's, so the layers link the same way on both. GL ES 2 (WebGL),
# OpenAL (Web Audio) and threads come with Emscripten itself.
set(NM_WEB_DEPS "" CACHE PATH "The prefix scripts/web-deps builds")
if(NOT EXISTS "${NM_WEB_DEPS}/VERSIONS")
  message(FATAL_ERROR "NM_WEB_DEPS must name the prefix scripts/web-deps builds (scripts/web-deps --print-prefix)")
endif()
set(NM_BUILD_TESTS OFF CACHE BOOL "" FORCE)
set(NM_BUILD_BENCH OFF CACHE BOOL "" FORCE)

# Only the prefix's pkg-config files, never the machine's; their libraries
# are found where those files say (outside Emscripten's own sysroot).
set(ENV{PKG_CONFIG_LIBDIR} "${NM_WEB_DEPS}/lib/pkgconfig")
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY BOTH)
set(ENV{PKG_CONFIG_PATH} "")
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
pkg_check_modules(SDL2_TTF REQUIRED IMPORTED_TARGET SDL2_ttf)
pkg_check_modules(PLIST REQUIRED IMPORTED_TARGET libplist-2.0)
pkg_check_modules(FFMPEG REQUIRED IMPORTED_TARGET libavformat libavcodec libavutil libswscale libswresample)
pkg_check_modules(MD REQUIRED IMPORTED_TARGET libmd)
pkg_check_modules(WEB_PNG REQUIRED IMPORTED_TARGET libpng16)
pkg_check_modules(WEB_JPEG REQUIRED IMPORTED_TARGET libjpeg)
pkg_check_modules(WEB_ZLIB REQUIRED IMPORTED_TARGET zlib)
add_library(PNG::PNG ALIAS PkgConfig::WEB_PNG)
add_library(JPEG::JPEG ALIAS PkgConfig::WEB_JPEG)
add_library(ZLIB::ZLIB ALIAS PkgConfig::WEB_ZLIB)
add_library(PkgConfig::GLES2 INTERFACE IMPORTED)
add_library(PkgConfig::OPENAL INTERFACE IMPORTED)
target_link_libraries(PkgConfig::OPENAL INTERFACE openal)
add_library(Threads::Threads INTERFACE IMPORTED)

# Threads: the kit's requests run on workers, as on the desktop; the page is
# served cross-origin isolated so that they can share the game's memory.
add_compile_options(-pthread)
add_link_options(-pthread)

# The text controls' editor is a header of Debian's libstb-dev: reach it
# without putting the machine's /usr/include before Emscripten's own.
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/system-headers)
file(CREATE_LINK /usr/include/stb ${CMAKE_BINARY_DIR}/system-headers/stb SYMBOLIC)
include_directories(SYSTEM ${CMAKE_BINARY_DIR}/system-headers)
