# The tray's thumbnail engine (EXIF reading, the clip structure check, picture and clip
# decoding, scaling), a library of its own so that its tests need not load the component.
# Included by this folder's CMakeLists.
add_library(slidetray_engine STATIC
    ${CMAKE_CURRENT_LIST_DIR}/AviStructure.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ExifReader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ThumbnailMaker.cpp)
target_include_directories(slidetray_engine PUBLIC ${CMAKE_SOURCE_DIR})
# Video for Windows comes as msvfw32 and avifil32 in mingw-w64.
target_link_libraries(slidetray_engine PUBLIC windowscodecs ole32 oleaut32 uuid msvfw32 avifil32
    gdi32)
