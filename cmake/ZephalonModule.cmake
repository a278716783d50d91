# Helpers that give every module the same shape:
#   zephalon_module(<name> SOURCES ... [PUBLIC_DEPS ...] [PRIVATE_DEPS ...])
#       static library zephalon_<name>; public headers in include/zephalon/<name>/
#   zephalon_tests(<name> SOURCES ... [DEPS ...])      one GoogleTest executable per module
#   zephalon_bench(<name> SOURCES ... [DEPS ...])      Google Benchmark executable (ZEPHALON_BENCH)
#   zephalon_fuzz(<target> SOURCES ... [DEPS ...])     libFuzzer executable (ZEPHALON_FUZZ)

set(ZEPHALON_WARNINGS -Wall -Wextra -Wpedantic -Werror)
# g++ 12 reports false -Wrestrict positives inside std::string when optimising (GCC bug 105329), which would fail the
# release and bench builds of correct code.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    list(APPEND ZEPHALON_WARNINGS -Wno-restrict)
endif()

if(ZEPHALON_FUZZ)
    # Every library is instrumented for coverage and sanitizers, so the fuzzers see inside the modules they call.
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

if(ZEPHALON_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
endif()

function(zephalon_apply_warnings target)
    target_compile_options(${target} PRIVATE ${ZEPHALON_WARNINGS})
endfunction()

function(zephalon_module name)
    cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC_DEPS;PRIVATE_DEPS" ${ARGN})
    add_library(zephalon_${name} STATIC ${ARG_SOURCES})
    target_include_directories(zephalon_${name}
        PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include
        PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/src)
    target_link_libraries(zephalon_${name} PUBLIC ${ARG_PUBLIC_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
    zephalon_apply_warnings(zephalon_${name})
endfunction()

function(zephalon_tests name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    set(target zephalon_${name}_tests)
    add_executable(${target} ${ARG_SOURCES})
    target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR}/tests)
    target_link_libraries(${target} PRIVATE zephalon_${name} ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
    target_compile_definitions(${target} PRIVATE
        ZEPHALON_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
        ZEPHALON_TESTDATA_DIR="${PROJECT_SOURCE_DIR}/testdata")
    zephalon_apply_warnings(${target})
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST TEST_PREFIX "${name}." PROPERTIES TIMEOUT 600)
endfunction()

function(zephalon_bench name)
    if(NOT ZEPHALON_BENCH)
        return()
    endif()
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    set(target zephalon_${name}_bench)
    add_executable(${target} ${ARG_SOURCES})
    target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/bench)
    target_link_libraries(${target} PRIVATE zephalon_${name} ${ARG_DEPS} benchmark::benchmark)
    zephalon_apply_warnings(${target})
    set_property(GLOBAL APPEND PROPERTY ZEPHALON_BENCH_TARGETS ${target})
endfunction()

function(zephalon_fuzz target)
    if(NOT ZEPHALON_FUZZ)
        return()
    endif()
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_executable(${target} ${ARG_SOURCES})
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${target} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(${target} PRIVATE ${ARG_DEPS})
    zephalon_apply_warnings(${target})
endfunction()
