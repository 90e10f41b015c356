# macOS only (included by the root CMakeLists.txt in place of platform/linux): the drawing
# shim on CoreGraphics bitmap contexts (SHIM_Context.cpp) and CoreText fonts (SHIM_Font.cpp),
# over the platform-neutral half in platform/common. Plain C++ on the frameworks' C APIs.
add_library(quorvane_shim STATIC ${CMAKE_CURRENT_LIST_DIR}/SHIM_Context.cpp
                                 ${CMAKE_CURRENT_LIST_DIR}/SHIM_Font.cpp
                                 ${QUORVANE_SHIM_COMMON_SOURCES})
target_include_directories(quorvane_shim PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(quorvane_shim PUBLIC quorvane_util Threads::Threads "-framework CoreText"
                                           "-framework CoreGraphics" "-framework CoreFoundation")
