# The page: the game's module, its worker, the page around it and the four
# profiles' bundles, all in play/, as the publisher service serves them. The
# bundle comes from the desktop build's content (NM_WEB_CONTENT: its build
# folder), which the same content pipeline makes for both targets.
set(NM_WEB_CONTENT "" CACHE PATH "The desktop build folder whose Resources/ and desktop/ the page packs")
set(NM_WEB_PAGE_DIR ${CMAKE_BINARY_DIR}/play)
set(_web ${CMAKE_CURRENT_SOURCE_DIR}/platform/web)

set_target_properties(number-meadow PROPERTIES SUFFIX ".js" RUNTIME_OUTPUT_DIRECTORY ${NM_WEB_PAGE_DIR})
target_link_options(number-meadow PRIVATE
  -sENVIRONMENT=web,worker
  -sPTHREAD_POOL_SIZE=8
  -sINITIAL_MEMORY=64MB -sALLOW_MEMORY_GROWTH=1 -sMAXIMUM_MEMORY=1GB
  -sMIN_WEBGL_VERSION=1 -sMAX_WEBGL_VERSION=1
  -sFETCH=1 -sFORCE_FILESYSTEM=1 -lidbfs.js -lopenal
  -sEXIT_RUNTIME=0 -sEXPORTED_RUNTIME_METHODS=FS,callMain,ccall
  --pre-js ${_web}/pre.js)
set_property(TARGET number-meadow APPEND PROPERTY LINK_DEPENDS ${_web}/pre.js)
# Compressed once here, not at every request: the service sends the ".gz"
# beside a file to browsers that take it.
add_custom_command(TARGET number-meadow POST_BUILD
  COMMAND gzip -9 -n -k -f number-meadow.js number-meadow.wasm number-meadow.worker.js
  WORKING_DIRECTORY ${NM_WEB_PAGE_DIR})

set(_page_files index.html page.js page.css manifest.webmanifest)
set(_page_outputs)
foreach(f ${_page_files})
  add_custom_command(OUTPUT ${NM_WEB_PAGE_DIR}/${f} ${NM_WEB_PAGE_DIR}/${f}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${_web}/page/${f} ${NM_WEB_PAGE_DIR}/${f}
    COMMAND gzip -9 -n -k -f ${NM_WEB_PAGE_DIR}/${f}
    DEPENDS ${_web}/page/${f})
  list(APPEND _page_outputs ${NM_WEB_PAGE_DIR}/${f})
endforeach()
# The home screen's icons, drawn from the game's own icon.
set(_icons icon-192.png icon-512.png icon-maskable-512.png apple-touch-icon.png)
list(TRANSFORM _icons PREPEND ${NM_WEB_PAGE_DIR}/)
add_custom_command(OUTPUT ${_icons}
  COMMAND python3 ${CMAKE_SOURCE_DIR}/tools/web_icons.py ${NM_WEB_PAGE_DIR}
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/web_icons.py ${CMAKE_SOURCE_DIR}/content/desktop/icon.py
          ${CMAKE_SOURCE_DIR}/content/art/frog3.svg ${CMAKE_SOURCE_DIR}/content/art/draw.py
          ${CMAKE_SOURCE_DIR}/content/draw/strokes.py
  COMMENT "Drawing the page's icons")

find_program(NM_FILE_PACKAGER file_packager.py PATHS /usr/share/emscripten/tools NO_DEFAULT_PATH REQUIRED)
file(GLOB_RECURSE _resources CONFIGURE_DEPENDS ${NM_WEB_CONTENT}/Resources/*)
set(_bundles)
foreach(profile tablet-1x tablet-2x phone-1x phone-2x)
  list(APPEND _bundles ${NM_WEB_PAGE_DIR}/bundle-${profile}.data ${NM_WEB_PAGE_DIR}/bundle-${profile}.js)
endforeach()
# With them each language's own files (lang-<code>), listed in languages.json.
add_custom_command(OUTPUT ${_bundles} ${NM_WEB_PAGE_DIR}/languages.json
  COMMAND python3 ${CMAKE_SOURCE_DIR}/tools/web_bundle.py ${NM_WEB_CONTENT}/Resources ${NM_WEB_PAGE_DIR} ${NM_FILE_PACKAGER}
  DEPENDS ${_resources} ${CMAKE_SOURCE_DIR}/tools/web_bundle.py
  COMMENT "Packing the four profiles' bundles for the page")
add_custom_target(web-page ALL DEPENDS ${_page_outputs} ${_icons} ${_bundles}
  ${NM_WEB_PAGE_DIR}/languages.json)

# Last, over everything above: the service worker that keeps this version of
# the page for offline play. Its list changes when any file does, so it is
# written at every build (only when it differs).
add_custom_target(web-offline ALL
  COMMAND python3 ${CMAKE_SOURCE_DIR}/tools/web_offline.py ${NM_WEB_PAGE_DIR}
  BYPRODUCTS ${NM_WEB_PAGE_DIR}/sw.js
  COMMENT "The page's offline version"
  VERBATIM)
add_dependencies(web-offline web-page number-meadow)
