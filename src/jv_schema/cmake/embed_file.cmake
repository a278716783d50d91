# Turns one data file into a C++ source holding its bytes, so the built-in schemas ship inside the library
# and can never drift from the files in the source tree.
#   cmake -DINPUT=<file> -DOUTPUT=<file.cpp> -DSYMBOL=<identifier> -P embed_file.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR byte_count "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
file(WRITE "${OUTPUT}.tmp"
    "// Generated from ${INPUT}; do not edit.\n"
    "#include <cstddef>\n"
    "extern const char ${SYMBOL}[];\n"
    "extern const std::size_t ${SYMBOL}_size;\n"
    "const char ${SYMBOL}[] = {\n    ${bytes}'\\0'};\n"
    "const std::size_t ${SYMBOL}_size = ${byte_count};\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
