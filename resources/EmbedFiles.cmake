# cmake -DINPUT_DIR=dir -DOUTPUT=file.cpp -P EmbedFiles.cmake
# Writes a C++ source holding every *.png of INPUT_DIR as a byte array, with the table that
# EmbeddedResourceTable.h declares. Only file names go in, never the directory, so the
# binary does not depend on where the source tree lies.
if(NOT INPUT_DIR OR NOT OUTPUT)
  message(FATAL_ERROR "EmbedFiles.cmake needs INPUT_DIR and OUTPUT")
endif()

file(GLOB files RELATIVE ${INPUT_DIR} ${INPUT_DIR}/*.png)
list(SORT files)

set(body "// Generated from resources/img by EmbedFiles.cmake; do not edit.\n")
string(APPEND body "#include \"resources/EmbeddedResourceTable.h\"\n\nnamespace\n{\n")
set(table "")
set(index 0)
foreach(name ${files})
  file(READ ${INPUT_DIR}/${name} hex HEX)
  string(LENGTH "${hex}" hexlen)
  math(EXPR size "${hexlen} / 2")
  if(size EQUAL 0)
    set(bytes "0")
  else()
    # 20 bytes per line, each as 0xNN.
    string(REGEX REPLACE "([0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f])"
           "\\1\n" hex "${hex}")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  endif()
  string(APPEND body "const unsigned char kData${index}[] = {\n${bytes}\n};\n")
  string(APPEND table "  {\"${name}\", kData${index}, ${size}ul},\n")
  math(EXPR index "${index} + 1")
endforeach()
if(index EQUAL 0)
  # No zero-length arrays: one unused entry, not counted.
  set(table "  {\"\", nullptr, 0ul},\n")
endif()
string(APPEND body "} // namespace\n\n")
string(APPEND body "extern const EmbeddedResource kEmbeddedResources[] = {\n${table}};\n")
string(APPEND body "extern const int kEmbeddedResourceCount = ${index};\n")

# Rewrite only on change, so an unchanged image set does not recompile.
if(EXISTS ${OUTPUT})
  file(READ ${OUTPUT} old)
  if(old STREQUAL body)
    return()
  endif()
endif()
file(WRITE ${OUTPUT} "${body}")
