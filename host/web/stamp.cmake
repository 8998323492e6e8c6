# Writes the publishable page into SITE: the program's script, WebAssembly and data from
# BUILD and the loader from PAGE under names that carry a hash of their content, the page
# (index.html) naming them, the manifest and the app icons (from ICONS), and the service worker
# (sw.js) with the build's name (a hash over every file) and each file's hash. Run by the
# browser build after every link (host/web/web.cmake), and by the browser tests on a copy:
#   cmake -DBUILD=dir -DPAGE=host/web -DICONS=dir -DSITE=dir -P host/web/stamp.cmake
foreach(folder BUILD PAGE ICONS)
  if(NOT IS_DIRECTORY "${${folder}}")
    message(FATAL_ERROR "${folder} must name a folder (got '${${folder}}')")
  endif()
endforeach()
if(NOT SITE)
  message(FATAL_ERROR "SITE must name the folder to write")
endif()

file(REMOVE_RECURSE "${SITE}")
file(MAKE_DIRECTORY "${SITE}")
set(json "")

function(vg_short_hash path out)
  file(SHA256 "${path}" h)
  string(SUBSTRING "${h}" 0 16 h)
  set(${out} ${h} PARENT_SCOPE)
endfunction()

# A file kept under its own name; adds it to the worker's list.
function(vg_add path name)
  if(NOT EXISTS "${SITE}/${name}")
    file(COPY_FILE "${path}" "${SITE}/${name}")
  endif()
  vg_short_hash("${SITE}/${name}" h)
  set(json "${json}, \"${name}\": \"${h}\"" PARENT_SCOPE)
endfunction()

# A file under stem.HASH.ext; its new name goes into out.
function(vg_add_named path out)
  vg_short_hash("${path}" h)
  get_filename_component(stem "${path}" NAME_WLE)
  get_filename_component(ext "${path}" LAST_EXT)
  set(name "${stem}.${h}${ext}")
  file(COPY_FILE "${path}" "${SITE}/${name}")
  set(json "${json}, \"${name}\": \"${h}\"" PARENT_SCOPE)
  set(${out} ${name} PARENT_SCOPE)
endfunction()

vg_add_named("${PAGE}/loading.js" VG_LOADER)
set(VG_FILES "")
foreach(ext js wasm data)
  vg_add_named("${BUILD}/vantorell.${ext}" name)
  file(SIZE "${BUILD}/vantorell.${ext}" size)
  string(APPEND VG_FILES " ${name} ${size}")
endforeach()
string(STRIP "${VG_FILES}" VG_FILES)

configure_file("${PAGE}/index.html" "${SITE}/index.html" @ONLY)
vg_add("${SITE}/index.html" index.html)
vg_add("${PAGE}/manifest.webmanifest" manifest.webmanifest)
foreach(icon icon-192.png icon-512.png icon-maskable.png)
  vg_add("${ICONS}/${icon}" ${icon})
endforeach()

string(SUBSTRING "${json}" 2 -1 json)
set(VG_FILES_JSON "{${json}}")
# The worker's own code belongs to the build too: a new worker gets a cache of its own.
file(SHA256 "${PAGE}/sw.js" worker)
string(SHA256 VG_BUILD "${VG_FILES_JSON} ${worker}")
string(SUBSTRING "${VG_BUILD}" 0 16 VG_BUILD)
configure_file("${PAGE}/sw.js" "${SITE}/sw.js" @ONLY)
message(STATUS "Page of build ${VG_BUILD} in ${SITE}")
