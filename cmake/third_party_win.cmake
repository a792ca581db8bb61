# Static WebP and AV1 libraries for the Windows build, cross-built for i686
# MinGW by scripts/bootstrap.sh into .cache/ (libwebp 1.2.4, dav1d 1.0.0).
#
#   include(cmake/third_party_win.cmake)
#   target_link_libraries(decoder PRIVATE webp_static dav1d_static)
#
# webp_static   the WebP decoder with the demuxer and the animation decoder
#               (WebPDemux*, WebPAnimDecoder*); <webp/decode.h>, <webp/demux.h>
# dav1d_static  the AV1 decoder; <dav1d/dav1d.h>
#
# Neither needs a DLL at run time: both use Win32 threads (no winpthreads) and
# only functions of kernel32 and msvcrt, which every link gets by default.
include_guard(GLOBAL)

get_filename_component(TOLVEX_THIRD_PARTY_DIR ${CMAKE_CURRENT_LIST_DIR}/../.cache ABSOLUTE)

function(tolvex_static_archive target archive include_dir)
  if(NOT EXISTS ${archive})
    message(FATAL_ERROR "${archive} is missing: run scripts/bootstrap.sh")
  endif()
  add_library(${target} STATIC IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES
    IMPORTED_LOCATION ${archive}
    INTERFACE_INCLUDE_DIRECTORIES ${include_dir})
endfunction()

set(_webp ${TOLVEX_THIRD_PARTY_DIR}/mingw-webp)
tolvex_static_archive(webp_core_static ${_webp}/lib/libwebp.a ${_webp}/include)
# libwebpdemux uses the decoder in libwebp, so it comes first on the link line.
tolvex_static_archive(webp_static ${_webp}/lib/libwebpdemux.a ${_webp}/include)
set_target_properties(webp_static PROPERTIES INTERFACE_LINK_LIBRARIES webp_core_static)

set(_dav1d ${TOLVEX_THIRD_PARTY_DIR}/mingw-dav1d)
tolvex_static_archive(dav1d_static ${_dav1d}/lib/libdav1d.a ${_dav1d}/include)

unset(_webp)
unset(_dav1d)
