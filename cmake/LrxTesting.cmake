# lrx_add_test(NAME SOURCES... LIBS ...): one GoogleTest executable, its tests
# registered with CTest. Under wine the discovery runs at test time with a long
# timeout, since the first wine start of a cold prefix takes seconds.
function(lrx_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    lrx_warnings(${name})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main)
    if(CMAKE_CROSSCOMPILING)
        gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                             WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
    else()
        gtest_discover_tests(${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
    endif()
endfunction()
