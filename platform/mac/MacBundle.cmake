# macOS only (included by CMakeLists.txt): the Cocoa layer as Objective-C++ under manual
# retain/release, and Quorvane.vst, the bundle hosts load: Info.plist, PkgInfo, the editor
# images as resources, and a binary exporting VSTPluginMain and main_macho.
# The drawing shim is the CoreGraphics + CoreText one (MacShim.cmake): memory contexts are
# CoreGraphics bitmap contexts over aligned blocks, which the window copies to the screen;
# fonts come from CoreText. No X11, fontconfig or FreeType is needed.
enable_language(OBJCXX)
set(CMAKE_OBJCXX_STANDARD 17)
set_source_files_properties(${cocoa_sources} PROPERTIES LANGUAGE OBJCXX)
add_library(quorvane_cocoa STATIC ${cocoa_sources})
target_include_directories(quorvane_cocoa PUBLIC ${PROJECT_SOURCE_DIR})
target_compile_options(quorvane_cocoa PRIVATE -fno-objc-arc)
target_compile_definitions(quorvane_cocoa PRIVATE QUORVANE_BUNDLE_ID="${QUORVANE_BUNDLE_ID}")
target_link_libraries(quorvane_cocoa PUBLIC quorvane_platform_common quorvane_editor quorvane_shim
                                            "-framework Cocoa" "-framework Carbon"
                                            "-framework CoreGraphics")

file(GLOB bundle_images CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/img/*.png)
set_source_files_properties(${bundle_images} PROPERTIES MACOSX_PACKAGE_LOCATION Resources)
add_library(QuorvaneVST MODULE ${PROJECT_SOURCE_DIR}/effect/QuorvaneEntry.cpp
                               ${CMAKE_CURRENT_SOURCE_DIR}/MacEntry.cpp ${bundle_images})
set_target_properties(QuorvaneVST PROPERTIES
  OUTPUT_NAME Quorvane
  BUNDLE TRUE
  BUNDLE_EXTENSION vst
  MACOSX_BUNDLE_INFO_PLIST ${CMAKE_CURRENT_SOURCE_DIR}/Info.plist.in
  MACOSX_BUNDLE_GUI_IDENTIFIER ${QUORVANE_BUNDLE_ID}
  MACOSX_BUNDLE_BUNDLE_NAME Quorvane
  MACOSX_BUNDLE_BUNDLE_VERSION ${PROJECT_VERSION}
  MACOSX_BUNDLE_SHORT_VERSION_STRING ${PROJECT_VERSION})
target_link_libraries(QuorvaneVST PRIVATE quorvane_effect quorvane_vst2 quorvane_cocoa quorvane_core
                                          quorvane_util Threads::Threads)
target_link_options(QuorvaneVST PRIVATE
  "LINKER:-exported_symbols_list,${CMAKE_CURRENT_SOURCE_DIR}/Quorvane.exp")
add_custom_command(TARGET QuorvaneVST POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E echo_append "BNDL????" > $<TARGET_BUNDLE_CONTENT_DIR:QuorvaneVST>/PkgInfo
  VERBATIM)
