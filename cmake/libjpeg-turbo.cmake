# libjpeg-turbo as a static library for this target, built from Debian's source package by
# scripts/build-libjpeg-turbo (scripts/test and scripts/run build it before CMake runs).
# Whatever decodes or encodes JPEG links the IMPORTED target jpeg_turbo_static: the imaging
# library, its tests, and benchmarks that time a bare decode.
set(LIBJPEG_TURBO_ROOT ${CMAKE_BINARY_DIR}/third_party/libjpeg-turbo/install CACHE PATH
    "Install folder of libjpeg-turbo built for x86_64-w64-mingw32 (include/, lib/libjpeg.a)")

if(NOT EXISTS ${LIBJPEG_TURBO_ROOT}/lib/libjpeg.a
   OR NOT EXISTS ${LIBJPEG_TURBO_ROOT}/include/jpeglib.h)
    message(FATAL_ERROR
        "libjpeg-turbo for this target is missing: no lib/libjpeg.a and include/jpeglib.h "
        "under ${LIBJPEG_TURBO_ROOT}.\n"
        "Build it with scripts/build-libjpeg-turbo (it lands in build/third_party), or point "
        "LIBJPEG_TURBO_ROOT at such a build for a build folder other than build/.")
endif()

add_library(jpeg_turbo_static STATIC IMPORTED GLOBAL)
set_target_properties(jpeg_turbo_static PROPERTIES
    IMPORTED_LOCATION ${LIBJPEG_TURBO_ROOT}/lib/libjpeg.a
    INTERFACE_INCLUDE_DIRECTORIES ${LIBJPEG_TURBO_ROOT}/include)
