# Run with cmake -DSOURCE_DIR=<project root> -P: fails when the plug-in base or a host
# binding's audio side includes the editor or a window layer. Those build and link
# without the editor; they reach it only through core/IEditorConnection.h.
set(folders core vst2 lv2 standalone)
set(offenders "")
foreach(folder ${folders})
  file(GLOB_RECURSE sources ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
  foreach(source ${sources})
    file(RELATIVE_PATH rel ${SOURCE_DIR} ${source})
    # The LV2 UI library is the editor's own binding.
    if(rel MATCHES "^lv2/ui/")
      continue()
    endif()
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<](editor|platform)/")
    if(includes)
      list(APPEND offenders "${rel}: ${includes}")
    endif()
  endforeach()
endforeach()
if(offenders)
  list(JOIN offenders "\n  " text)
  message(FATAL_ERROR "These include the editor:\n  ${text}")
endif()
