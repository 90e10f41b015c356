# Run with cmake -DLIB=<Quorvane_dsp.so> -DREADELF=<readelf> -P: fails when the LV2 plug-in
# library needs a display, image or font library. Hosts without a display (a pedalboard
# computer) load it; the editor lives in the UI library.
execute_process(COMMAND ${READELF} -d ${LIB} OUTPUT_VARIABLE dynamic RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "readelf could not read ${LIB}")
endif()
string(REGEX MATCHALL "\\(NEEDED\\)[^\n]*" needed "${dynamic}")
if(NOT needed MATCHES "libc\\.so")
  message(FATAL_ERROR "no needed libraries found in ${LIB}:\n${dynamic}")
endif()
foreach(entry ${needed})
  if(entry MATCHES "libX|libxcb|libpng|libfontconfig|libfreetype")
    message(FATAL_ERROR "${LIB} needs a display, image or font library: ${entry}")
  endif()
endforeach()
