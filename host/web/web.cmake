# The browser build (scripts/web runs it under Emscripten): the same layers compiled to
# WebAssembly against Emscripten's GLFW 3, GL 1.1 emulation and OpenAL, linked into
# vantorell.js and vantorell.wasm, with the generated data folder packed beside them, and
# the page of host/web made from them in site/. Included by the top CMakeLists.txt instead of
# the desktop set-up.
set(VANTORELL_WEB_DATA "" CACHE PATH "The generated data folder the page preloads")
if(NOT IS_DIRECTORY "${VANTORELL_WEB_DATA}")
  message(FATAL_ERROR "VANTORELL_WEB_DATA must name a generated data folder")
endif()

include_directories(${CMAKE_SOURCE_DIR})
# Debian's stb headers, without the rest of the system's include folder.
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/stb-include)
file(CREATE_LINK /usr/include/stb ${CMAKE_BINARY_DIR}/stb-include/stb SYMBOLIC)

# Thrown runtime errors are caught by the host's entry points, so exceptions stay on.
add_compile_options(-fexceptions)

function(vg_web_sources out)
  set(all)
  foreach(dir ${ARGN})
    file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
    list(APPEND all ${srcs})
  endforeach()
  set(${out} ${all} PARENT_SCOPE)
endfunction()

vg_web_sources(vg_web_srcs runtime host host/web devices framework sequencer game)
# The desktop's own parts of host/ (host/platform.h lists them); the page has its own of each
# in host/web/ (the window backend web_window.cpp, the loop web_loop.cpp, the tune slices
# web_prefetch.cpp, and web_platform.cpp for the rest) and no headless test window.
set(vg_desktop_only glfw2_desktop glfw2_headless glfw_loop audio_prefetch desktop_platform
    library vorbis_check)
list(JOIN vg_desktop_only "|" vg_desktop_only)
list(FILTER vg_web_srcs EXCLUDE REGEX ".*/host/(${vg_desktop_only})\\.cpp$")

add_library(vg_web_stb STATIC ${CMAKE_SOURCE_DIR}/host/web/stb.c)
target_include_directories(vg_web_stb SYSTEM PRIVATE ${CMAKE_BINARY_DIR}/stb-include)
target_compile_options(vg_web_stb PRIVATE -w)

add_executable(vantorell ${vg_web_srcs})
target_include_directories(vantorell SYSTEM PRIVATE ${CMAKE_BINARY_DIR}/stb-include)
target_link_libraries(vantorell PRIVATE vg_web_stb)
set(vg_page ${CMAKE_SOURCE_DIR}/host/web)
target_link_options(vantorell PRIVATE -fexceptions -sUSE_GLFW=3
  -sLEGACY_GL_EMULATION=1 -lopenal -lidbfs.js
  -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=64MB
  -sEXPORTED_RUNTIME_METHODS=[]
  # SHELL: keeps both: CMake folds a repeated option into one.
  "SHELL:--pre-js ${vg_page}/page.js" "SHELL:--pre-js ${vg_page}/page_touch.js"
  --js-library ${vg_page}/web_audio.js
  --preload-file ${VANTORELL_WEB_DATA}@/data)
# The data is packed at link time, so a regenerated file links the page again.
file(GLOB_RECURSE vg_web_data CONFIGURE_DEPENDS ${VANTORELL_WEB_DATA}/*)
set_target_properties(vantorell PROPERTIES SUFFIX ".js"
  LINK_DEPENDS "${vg_page}/page.js;${vg_page}/page_touch.js;${vg_page}/web_audio.js;${vg_web_data}")

# The publishable page, in site/: the program's files under hashed names, the page, the
# service worker, the manifest and the app icons, which the desktop build's data step draws
# beside the data folder.
get_filename_component(vg_icons "${VANTORELL_WEB_DATA}/../web-icons" ABSOLUTE)
if(NOT EXISTS "${vg_icons}/icon-maskable.png")
  message(FATAL_ERROR "${vg_icons} lacks the page's icons: build the desktop build's "
                      "vantorell_data target again (assetgen --web-icons)")
endif()
set(vg_site ${CMAKE_BINARY_DIR}/site)
set(vg_page_files index.html loading.js sw.js manifest.webmanifest stamp.cmake)
list(TRANSFORM vg_page_files PREPEND ${vg_page}/)
add_custom_command(OUTPUT ${vg_site}/sw.js
  COMMAND ${CMAKE_COMMAND} -DBUILD=${CMAKE_BINARY_DIR} -DPAGE=${vg_page}
          -DICONS=${vg_icons} -DSITE=${vg_site} -P ${vg_page}/stamp.cmake
  DEPENDS vantorell ${vg_page_files} ${vg_icons}/icon-192.png
          ${vg_icons}/icon-512.png ${vg_icons}/icon-maskable.png
  VERBATIM)
add_custom_target(vantorell_site ALL DEPENDS ${vg_site}/sw.js)
