# The X11 editor window (IGraphicsLinux), its lazily decoded embedded images and the
# editor factory. Nothing here connects to a display before the
# host opens the editor.
add_library(quorvane_platform_linux STATIC
            ${CMAKE_CURRENT_LIST_DIR}/EmbeddedPNGBitmap.cpp
            ${CMAKE_CURRENT_LIST_DIR}/IGraphicsLinux.cpp
            ${CMAKE_CURRENT_LIST_DIR}/MakeGraphics.cpp)
target_include_directories(quorvane_platform_linux PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(quorvane_platform_linux PUBLIC quorvane_editor quorvane_platform_common
                      quorvane_x11widgets quorvane_resources PkgConfig::QUORVANE_X11
                      ${CMAKE_DL_LIBS})
