# Every third-party library comes from a Debian package (scripts/install-deps).
find_package(PkgConfig REQUIRED)
find_package(fmt REQUIRED)
find_package(CLI11 REQUIRED)
find_package(nlohmann_json REQUIRED)
find_package(utf8cpp REQUIRED)
find_package(GTest REQUIRED)
# Tests read XML and HTML reports back with a real parser.
find_package(LibXml2 REQUIRED)
# Header-only: Beast and Asio for the mock server's HTTP.
find_package(Boost 1.74 REQUIRED)

pkg_check_modules(YAML REQUIRED IMPORTED_TARGET yaml-0.1)
pkg_check_modules(URIPARSER REQUIRED IMPORTED_TARGET liburiparser)
pkg_check_modules(PCRE2 REQUIRED IMPORTED_TARGET libpcre2-8)
pkg_check_modules(MPFR REQUIRED IMPORTED_TARGET mpfr)
pkg_check_modules(MD4C REQUIRED IMPORTED_TARGET md4c md4c-html)
pkg_check_modules(HUNSPELL REQUIRED IMPORTED_TARGET hunspell)
# The allocator of the program (see src/foundation/src/allocator_config.c).
pkg_check_modules(JEMALLOC REQUIRED IMPORTED_TARGET jemalloc)

# Ordinary builds compile the benchmarks too (without running them), so that a broken one shows in the tests.
if(NOT ZEPHALON_FUZZ)
    find_package(benchmark REQUIRED)
endif()

include(GoogleTest)
