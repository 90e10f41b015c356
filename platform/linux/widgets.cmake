# The X11 widgets (popup menus, the text entry), the pixel conversion every X11 window
# uses, and the desktop services (dialogs and URL opening through external programs)
# that the X11 editor window uses.
pkg_check_modules(QUORVANE_X11 REQUIRED IMPORTED_TARGET x11)
add_library(quorvane_x11widgets STATIC
            ${CMAKE_CURRENT_LIST_DIR}/ChildProcess.cpp
            ${CMAKE_CURRENT_LIST_DIR}/DesktopServices.cpp
            ${CMAKE_CURRENT_LIST_DIR}/X11Canvas.cpp
            ${CMAKE_CURRENT_LIST_DIR}/X11PixelFormat.cpp
            ${CMAKE_CURRENT_LIST_DIR}/X11PopupMenu.cpp
            ${CMAKE_CURRENT_LIST_DIR}/X11TextEntry.cpp)
target_include_directories(quorvane_x11widgets PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(quorvane_x11widgets PUBLIC quorvane_platform_common quorvane_editor
                      quorvane_raster quorvane_shim quorvane_util Threads::Threads
                      PkgConfig::QUORVANE_X11)
