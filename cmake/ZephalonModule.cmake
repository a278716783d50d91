# Helpers that give every module the same shape:
#   zephalon_module(<name> SOURCES ... [PUBLIC_DEPS ...] [PRIVATE_DEPS ...])
#       static library zephalon_<name>; public headers in include/zephalon/<name>/, each checked to compile on its own
#   zephalon_tests(<name> SOURCES ... [DEPS ...])      one GoogleTest executable per module
#   zephalon_bench(<name> SOURCES ... [DEPS ...])      Google Benchmark executable, run by `make bench`; other
#       builds compile it as well and only check that it starts (test <module>.bench.<target>)
#   zephalon_fuzz(<target> SOURCES ... [DEPS ...])     libFuzzer executable (ZEPHALON_FUZZ); in other builds the same
#       target replays its seed inputs (fuzz/seeds/<target>/) as the test <module>.fuzz.<target>

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

# Test, benchmark and seed-replay code: in the sanitizer build the libraries under test keep their optimisation
# (instrumented code at -O0 runs several times slower), while this code, which is large and runs briefly, is
# compiled without it; optimising the test executables' big functions cost more than half of that build's time.
function(zephalon_test_code target)
    zephalon_apply_warnings(${target})
    if(ZEPHALON_SANITIZE)
        target_compile_options(${target} PRIVATE -O0)
    endif()
endfunction()

function(zephalon_module name)
    cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC_DEPS;PRIVATE_DEPS" ${ARGN})
    add_library(zephalon_${name} STATIC ${ARG_SOURCES})
    target_include_directories(zephalon_${name}
        PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include
        PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/src)
    target_link_libraries(zephalon_${name} PUBLIC ${ARG_PUBLIC_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
    zephalon_apply_warnings(zephalon_${name})
    zephalon_header_checks(${name})
endfunction()

# Every public header must compile on its own, seeing only what the module offers its users (its public
# dependencies, not its private ones): one generated translation unit per header, which includes it twice so that a
# missing include guard shows as well.
function(zephalon_header_checks name)
    file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/include/zephalon/${name}/*.h)
    if(NOT headers)
        return()
    endif()
    set(checks)
    foreach(header IN LISTS headers)
        get_filename_component(file ${header} NAME)
        get_filename_component(stem ${header} NAME_WE)
        set(check ${CMAKE_CURRENT_BINARY_DIR}/header_checks/${stem}_header_check.cpp)
        file(CONFIGURE OUTPUT ${check}
             CONTENT "#include \"zephalon/${name}/${file}\"\n#include \"zephalon/${name}/${file}\"\n")
        list(APPEND checks ${check})
    endforeach()
    add_library(zephalon_${name}_header_checks OBJECT ${checks})
    target_link_libraries(zephalon_${name}_header_checks PRIVATE zephalon_${name})
    zephalon_apply_warnings(zephalon_${name}_header_checks)
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
    zephalon_test_code(${target})
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST TEST_PREFIX "${name}." PROPERTIES TIMEOUT 600)
endfunction()

function(zephalon_bench name)
    if(ZEPHALON_FUZZ)
        return()
    endif()
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    set(target zephalon_${name}_bench)
    add_executable(${target} ${ARG_SOURCES})
    target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/bench)
    # Measured with the allocator the program uses.
    target_link_libraries(${target} PRIVATE zephalon_${name} ${ARG_DEPS} benchmark::benchmark zephalon_allocator)
    zephalon_test_code(${target})
    if(NOT ZEPHALON_BENCH)
        # Other builds only show that the benchmark still builds and starts; measuring is the bench build's job.
        add_test(NAME ${name}.bench.${target} COMMAND ${target} --benchmark_list_tests)
    endif()
endfunction()

# What a fuzz target sees in both of its builds: a target may start from a document of the shared test data, and
# it sees the helpers of tests/fuzz_support and, as the module's tests do, the module's own internal headers and
# test helpers.
function(zephalon_fuzz_settings target)
    target_compile_definitions(${target} PRIVATE ZEPHALON_TESTDATA_DIR="${PROJECT_SOURCE_DIR}/testdata")
    target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests/fuzz_support
                               ${CMAKE_CURRENT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR}/tests)
    zephalon_test_code(${target})
endfunction()

function(zephalon_fuzz target)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    if(ZEPHALON_FUZZ)
        add_executable(${target} ${ARG_SOURCES})
        target_compile_options(${target} PRIVATE -fsanitize=fuzzer,address,undefined)
        target_link_options(${target} PRIVATE -fsanitize=fuzzer,address,undefined)
        target_link_libraries(${target} PRIVATE ${ARG_DEPS})
        zephalon_fuzz_settings(${target})
        return()
    endif()
    if(ZEPHALON_BENCH)
        return()
    endif()
    # Ordinary builds compile the target with a small driver that replays its seeds: a fuzz target that stops
    # compiling, or an input that once crashed it, fails the test run.
    add_executable(${target} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/tests/fuzz_replay/replay_main.cpp)
    target_link_libraries(${target} PRIVATE ${ARG_DEPS} fmt::fmt)
    zephalon_fuzz_settings(${target})
    get_filename_component(module ${CMAKE_CURRENT_SOURCE_DIR} NAME)
    set(seeds ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/seeds/${target})
    if(NOT EXISTS ${seeds})
        set(seeds)
    endif()
    add_test(NAME ${module}.fuzz.${target} COMMAND ${target} ${seeds})
    set_tests_properties(${module}.fuzz.${target} PROPERTIES TIMEOUT 300)
endfunction()
