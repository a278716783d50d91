# Embeds text files (templates, data tables) in a target at build time, so the program carries them without reading
# any file at run time:
#
#   zephalon_embed_texts(<target> HEADER <name>.h NAMESPACE <namespace> [BASE_DIR <dir>] FILES <file>...)
#
# (relative paths are taken from the current source directory) generates <name>.h and <name>.cpp, adds them to <target> and puts the header on its private include path. The
# header declares
#
#   namespace <namespace> {
#   struct EmbeddedText {
#       std::string_view name;  // the file's path relative to BASE_DIR (default: the current source directory)
#       std::string_view text;  // the file's bytes, exactly
#   };
#   std::span<const EmbeddedText> embeddedTexts();  // in the order of FILES
#   }
#
# The bytes are taken as they are: a template whose output must not end in a newline is saved without a final one.
# The sources are regenerated when a file changes. This file is also the generator script (run with -P).

if(CMAKE_SCRIPT_MODE_FILE)
    # Script mode: -DHEADER=<path.h> -DSOURCE=<path.cpp> -DNAMESPACE=<ns> -DBASE_DIR=<dir> -DFILES=<a|b|...>
    string(REPLACE "|" ";" files "${FILES}")
    get_filename_component(header_name "${HEADER}" NAME)
    set(definitions "")
    set(entries "")
    set(index 0)
    foreach(file IN LISTS files)
        file(RELATIVE_PATH name "${BASE_DIR}" "${file}")
        string(REPLACE "\\" "\\\\" name "${name}")
        string(REPLACE "\"" "\\\"" name "${name}")
        file(READ "${file}" hex HEX)
        # 32 bytes per source line keeps the generated file readable; every byte is a hex escape, so no content
        # (quotes, backslashes, NUL, non-ASCII) can break the literal.
        string(REGEX REPLACE "(................................................................)" "\\1\"\n    \""
               hex "${hex}")
        string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" escaped "${hex}")
        string(APPEND definitions "// ${name}\nconst char kText${index}[] =\n    \"${escaped}\";\n\n")
        string(APPEND entries "    {\"${name}\", std::string_view(kText${index}, sizeof kText${index} - 1)},\n")
        math(EXPR index "${index} + 1")
    endforeach()

    string(CONCAT header
        "// Generated at build time from embedded files; do not edit.\n#pragma once\n\n#include <span>\n"
        "#include <string_view>\n\nnamespace ${NAMESPACE} {\n\nstruct EmbeddedText {\n    std::string_view name;\n"
        "    std::string_view text;\n};\n\nstd::span<const EmbeddedText> embeddedTexts();\n\n}  // namespace ${NAMESPACE}\n")
    string(CONCAT source
        "// Generated at build time from embedded files; do not edit.\n#include \"${header_name}\"\n\n"
        "#include <array>\n\nnamespace ${NAMESPACE} {\n\nnamespace {\n\n${definitions}const std::array<EmbeddedText, "
        "${index}> kTexts = {{\n${entries}}};\n\n}  // namespace\n\nstd::span<const EmbeddedText> embeddedTexts() { "
        "return kTexts; }\n\n}  // namespace ${NAMESPACE}\n")

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
    write_if_changed("${HEADER}" "${header}")
    write_if_changed("${SOURCE}" "${source}")
    return()
endif()

set(ZEPHALON_EMBED_TEXTS_SCRIPT ${CMAKE_CURRENT_LIST_FILE})

function(zephalon_embed_texts target)
    cmake_parse_arguments(ARG "" "HEADER;NAMESPACE;BASE_DIR" "FILES" ${ARGN})
    if(NOT ARG_HEADER OR NOT ARG_NAMESPACE OR NOT ARG_FILES)
        message(FATAL_ERROR "zephalon_embed_texts(${target}) needs HEADER, NAMESPACE and FILES")
    endif()
    if(NOT ARG_BASE_DIR)
        set(ARG_BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    endif()
    get_filename_component(base_dir "${ARG_BASE_DIR}" ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    set(files "")
    foreach(file IN LISTS ARG_FILES)
        get_filename_component(path "${file}" ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
        list(APPEND files ${path})
    endforeach()
    string(REPLACE ";" "|" files_arg "${files}")
    get_filename_component(stem "${ARG_HEADER}" NAME_WE)
    set(out_dir ${CMAKE_CURRENT_BINARY_DIR}/embedded_texts)
    add_custom_command(
        OUTPUT ${out_dir}/${stem}.h ${out_dir}/${stem}.cpp
        COMMAND ${CMAKE_COMMAND} -E make_directory ${out_dir}
        COMMAND ${CMAKE_COMMAND}
            -DHEADER=${out_dir}/${stem}.h
            -DSOURCE=${out_dir}/${stem}.cpp
            -DNAMESPACE=${ARG_NAMESPACE}
            -DBASE_DIR=${base_dir}
            -DFILES=${files_arg}
            -P ${ZEPHALON_EMBED_TEXTS_SCRIPT}
        DEPENDS ${files} ${ZEPHALON_EMBED_TEXTS_SCRIPT}
        COMMENT "Embedding texts in ${stem}"
        VERBATIM)
    target_sources(${target} PRIVATE ${out_dir}/${stem}.h ${out_dir}/${stem}.cpp)
    target_include_directories(${target} PRIVATE ${out_dir})
endfunction()
