# The tray's thumbnail engine (EXIF reading, the clip structure check, picture and clip
# decoding, scaling, the compact form the tray keeps thumbnails in), a library of its own so
# that its tests need not load the component. Included by this folder's CMakeLists.
add_library(slidetray_engine STATIC
    ${CMAKE_CURRENT_LIST_DIR}/AviStructure.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BoxShrinker.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CompactThumbnail.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ExifReader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/JpegDecoder.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ThumbnailMaker.cpp)
target_include_directories(slidetray_engine PUBLIC ${CMAKE_SOURCE_DIR})
# JPEG through libjpeg-turbo (linked statically, as the imaging library does); WIC for the
# other picture formats; Video for Windows (msvfw32 and avifil32 in mingw-w64) for clips.
target_link_libraries(slidetray_engine PUBLIC jpegsupport windowscodecs ole32 oleaut32 uuid
    msvfw32 avifil32 gdi32)
