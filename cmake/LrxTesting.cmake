# Test files are built unoptimised: what they test is built as the preset
# says, and GoogleTest's macros take twice as long to compile optimised. One
# precompiled header serves every test file, since GoogleTest's header costs
# more to parse than most test files themselves; gcc falls back to the plain
# header when a target's flags differ from the header's.
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/lrx_test_pch.cpp CONTENT "// holds the tests' precompiled header\n")
add_library(lrx_test_pch STATIC ${CMAKE_BINARY_DIR}/lrx_test_pch.cpp)
lrx_warnings(lrx_test_pch)
target_compile_options(lrx_test_pch PRIVATE -O0)
if(WIN32)
    target_compile_definitions(lrx_test_pch PRIVATE NOMINMAX STRICT)
endif()
target_link_libraries(lrx_test_pch PUBLIC GTest::gtest)
target_precompile_headers(lrx_test_pch PRIVATE
    <gtest/gtest.h> <algorithm> <cstdint> <cstring> <filesystem> <fstream> <functional>
    <map> <memory> <sstream> <string> <string_view> <vector>)

# lrx_test_code(TARGET): a test or test-support target compiles as above.
# The Windows framework's definitions are everyone's, so that its tests can
# share the header too.
function(lrx_test_code target)
    target_compile_options(${target} PRIVATE -O0)
    if(WIN32)
        target_compile_definitions(${target} PRIVATE NOMINMAX STRICT)
    endif()
    target_precompile_headers(${target} REUSE_FROM lrx_test_pch)
endfunction()

# lrx_add_test(NAME [DESKTOP] SOURCES... LIBS ...): one GoogleTest executable,
# its tests registered with CTest. Under wine the discovery runs at test time
# with a long timeout, since the first wine start of a cold prefix takes
# seconds. DESKTOP tests show windows and check focus: two at once on one
# display take the activation from each other, so they run one at a time.
function(lrx_add_test name)
    cmake_parse_arguments(ARG "DESKTOP" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    lrx_warnings(${name})
    lrx_test_code(${name})
    # A test program's files compile as one: each file alone spends most of
    # its time on the templates all of them instantiate alike. So the names
    # in one file's anonymous namespace must differ from the other files'.
    # gcc takes the test files for headers there and would warn of their
    # anonymous-namespace types in the framework's templates.
    set_target_properties(${name} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 0)
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        target_compile_options(${name} PRIVATE -Wno-subobject-linkage)
    endif()
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main)
    set(options WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
    if(CMAKE_CROSSCOMPILING)
        list(APPEND options DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120)
    endif()
    if(ARG_DESKTOP)
        list(APPEND options PROPERTIES RESOURCE_LOCK desktop)
    endif()
    gtest_discover_tests(${name} ${options})
endfunction()
