# The X11 editor window (IGraphicsLinux), its pixel conversion and the editor factory.
# Nothing here connects to a display before the host opens the editor.
if(NOT TARGET PkgConfig::QUORVANE_X11)
  pkg_check_modules(QUORVANE_X11 REQUIRED IMPORTED_TARGET x11)
endif()
add_library(quorvane_platform_linux STATIC
            ${CMAKE_CURRENT_LIST_DIR}/IGraphicsLinux.cpp
            ${CMAKE_CURRENT_LIST_DIR}/MakeGraphics.cpp
            ${CMAKE_CURRENT_LIST_DIR}/X11PixelFormat.cpp)
target_include_directories(quorvane_platform_linux PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(quorvane_platform_linux PUBLIC quorvane_editor quorvane_platform_common
                      PkgConfig::QUORVANE_X11 ${CMAKE_DL_LIBS}
                      $<TARGET_NAME_IF_EXISTS:quorvane_x11widgets>
                      $<TARGET_NAME_IF_EXISTS:quorvane_resources>)
# The images are embedded once the resources folder builds them.
if(EXISTS ${PROJECT_SOURCE_DIR}/resources/CMakeLists.txt)
  target_compile_definitions(quorvane_platform_linux PRIVATE QUORVANE_HAVE_EMBEDDED_RESOURCES=1)
endif()
