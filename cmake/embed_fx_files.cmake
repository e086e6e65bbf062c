# Writes a C++ source holding the bytes of the given effects description
# files, so that the program carries them when nothing was installed beside it.
#   cmake -DOUTPUT=file.cpp -DINPUTS="a.prm;b.prm" -P embed_fx_files.cmake
# Plain CMake, so it runs wherever the build runs (no Python needed).
if(NOT OUTPUT OR NOT INPUTS)
  message(FATAL_ERROR "embed_fx_files.cmake needs OUTPUT and INPUTS")
endif()

set(arrays "")
set(entries "")
set(index 0)
foreach(input ${INPUTS})
  get_filename_component(name ${input} NAME)
  file(READ ${input} hex HEX)
  string(LENGTH "${hex}" hex_length)
  math(EXPR size "${hex_length} / 2")
  # Sixteen bytes to a line keeps the generated file readable in a diff tool.
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)"
         "\\1\n" bytes "${bytes}")
  string(APPEND arrays "const unsigned char file${index}[${size} + 1] = {\n${bytes}0x00};\n\n")
  string(APPEND entries "    {\"${name}\", file${index}, ${size}},\n")
  math(EXPR index "${index} + 1")
endforeach()

set(text "// Generated at build time from fxdata/*.prm by cmake/embed_fx_files.cmake.\n")
string(APPEND text "#include \"fxdefs/fx_builtin.h\"\n\nnamespace {\n\n${arrays}}  // namespace\n\n")
string(APPEND text "const FxBuiltinFile fxBuiltinFiles[] = {\n${entries}};\n")
string(APPEND text "const int fxBuiltinFileCount = ${index};\n")

# Rewritten only when different, so an unchanged description costs no rebuild.
set(temporary "${OUTPUT}.new")
file(WRITE "${temporary}" "${text}")
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different "${temporary}" "${OUTPUT}")
file(REMOVE "${temporary}")
