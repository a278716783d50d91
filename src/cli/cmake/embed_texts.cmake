# Turns text files into C++ character arrays at build time, so the program carries the texts without reading any
# file at run time. Run as a script:
#   cmake -DINPUTS=<file,file,...> -DOUTPUT_SOURCE=<x.cpp> -DOUTPUT_HEADER=<x.h> -DNAMESPACE=<ns> -P embed_texts.cmake
# Each file becomes `extern const char <stem>[]` (stem turned into a C identifier), NUL-terminated. The bytes are
# written as hex escapes so no content (quotes, backslashes, non-ASCII) can break the literal.

string(REPLACE "," ";" inputs "${INPUTS}")
get_filename_component(header_name "${OUTPUT_HEADER}" NAME)

set(declarations "")
set(definitions "")
foreach(input IN LISTS inputs)
    get_filename_component(stem "${input}" NAME_WE)
    string(MAKE_C_IDENTIFIER "${stem}" symbol)
    file(READ "${input}" hex HEX)
    # 32 bytes per source line keeps the generated file readable for a compiler error message.
    string(REGEX REPLACE "(................................................................)" "\\1\"\n    \"" hex "${hex}")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" escaped "${hex}")
    string(APPEND declarations "extern const char ${symbol}[];\n")
    string(APPEND definitions "// ${input}\nextern const char ${symbol}[] =\n    \"${escaped}\";\n\n")
endforeach()

set(header "// Generated from text files at build time; do not edit.\n#pragma once\n\nnamespace ${NAMESPACE} {\n\n${declarations}\n}  // namespace ${NAMESPACE}\n")
set(source "// Generated from text files at build time; do not edit.\n#include \"${header_name}\"\n\nnamespace ${NAMESPACE} {\n\n${definitions}}  // namespace ${NAMESPACE}\n")

# Rewriting unchanged output would only trigger needless recompilation.
function(write_if_changed path content)
    set(old "")
    if(EXISTS "${path}")
        file(READ "${path}" old)
    endif()
    if(NOT old STREQUAL content)
        file(WRITE "${path}" "${content}")
    endif()
endfunction()

write_if_changed("${OUTPUT_HEADER}" "${header}")
write_if_changed("${OUTPUT_SOURCE}" "${source}")
