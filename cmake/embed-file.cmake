# Writes a file's bytes as a C++ array, for a build step:
#   cmake -DINPUT=file -DOUTPUT=header.h -DNAME=arrayName -P embed-file.cmake
file(READ ${INPUT} hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REPEAT "0x..," 16 row) # CMake's expressions have no {16}
string(REGEX REPLACE "(${row})" "\\1\n    " bytes "${bytes}")
get_filename_component(input_name ${INPUT} NAME)
file(WRITE ${OUTPUT} "// Made by the build from ${input_name}.\n#pragma once\n\n"
                     "constexpr unsigned char ${NAME}[] = {\n    ${bytes}\n};\n")
