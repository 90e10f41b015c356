# Small helpers shared by the module, test, benchmark and fuzz folders.

# quorvane_module(NAME [EXCLUDE regex] [LIBS lib...]): a static library of every .cpp in the
# calling folder (but those whose path matches EXCLUDE).
function(quorvane_module name)
  cmake_parse_arguments(M "" "EXCLUDE" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(M_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "${M_EXCLUDE}")
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${M_LIBS})
endfunction()

# quorvane_test(NAME SOURCES src... [LIBS lib...]): a GoogleTest program registered with CTest.
# Its tests carry the program's name as a label, so that `ctest -L` can pick programs.
# SERIAL runs each case alone: for cases that play in real time against servers of
# their own, which a loaded machine makes skip. ENVIRONMENT (one NAME=VALUE entry) is
# set for every case.
function(quorvane_test name)
  cmake_parse_arguments(T "SERIAL" "" "SOURCES;LIBS;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock Threads::Threads)
  set(serial FALSE)
  if(T_SERIAL)
    set(serial TRUE)
  endif()
  set(environment)
  if(T_ENVIRONMENT)
    set(environment ENVIRONMENT "${T_ENVIRONMENT}")
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       PROPERTIES TIMEOUT 300 LABELS ${name} RUN_SERIAL ${serial} ${environment})
endfunction()

# quorvane_benchmark(NAME SOURCES src... [LIBS lib...]).
function(quorvane_benchmark name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/bench)
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark Threads::Threads)
endfunction()

# quorvane_fuzzer(NAME SOURCES src... [LIBS lib...]): a libFuzzer target; its corpus is fuzz/corpus/NAME.
function(quorvane_fuzzer name)
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  add_dependencies(fuzzers ${name})
endfunction()

# quorvane_effect_variant(NAME [NO_EDITOR] [DEFINE def] [LIBS lib...]): the effect
# (effect/*.cpp but its VST 2 entry points) compiled against one host binding, chosen by
# DEFINE (see effect/QuorvaneBinding.h; none is the VST 2 binding). LIBS names the
# binding's library. NO_EDITOR builds it without an editor and without the window layer,
# for a library whose host shows the editor from another one.
function(quorvane_effect_variant name)
  cmake_parse_arguments(V "NO_EDITOR" "DEFINE" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/effect/*.cpp)
  list(FILTER sources EXCLUDE REGEX "/QuorvaneEntry\\.cpp$")
  if(V_NO_EDITOR)
    list(FILTER sources EXCLUDE REGEX "/QuorvaneEditor\\.cpp$")
  else()
    list(FILTER sources EXCLUDE REGEX "/QuorvaneNoEditor\\.cpp$")
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  if(V_DEFINE)
    target_compile_definitions(${name} PUBLIC ${V_DEFINE})
  endif()
  target_link_libraries(${name} PUBLIC ${V_LIBS})
  if(V_NO_EDITOR)
    return()
  endif()
  # The editor's window layer (MakeGraphics), the same for every binding: X11 on Linux, the
  # Cocoa layer on macOS (platform/mac, configured after the effect).
  if(TARGET quorvane_platform_linux)
    target_link_libraries(${name} PUBLIC quorvane_platform_linux)
  elseif(APPLE)
    target_link_libraries(${name} PUBLIC quorvane_cocoa)
  endif()
endfunction()
