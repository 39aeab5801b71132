# quorva_add_test(<name> LABEL <unit|db|gui|slow> SOURCES ... LIBS ...
#                 [DEFINITIONS ...] [TSAN] [LOCK <resource>])
#
# LOCK: cases that must not run beside other cases holding the same
# resource (ctest runs two at a time), such as tests that start, stop or
# freeze a server instance of their own.
#
# One GoogleTest executable, its cases discovered when ctest runs (not at
# build time, so no display is needed while building). Tests labelled "db"
# require the private Firebird server, which the "firebird" fixture starts
# and stops around them.
#
# Sanitizer builds register only what they are meant to check: the address
# build takes the unit and db tests, the thread build takes tests marked
# TSAN (page storage, background filter runs, a query's reader thread).
include(GoogleTest)
find_package(GTest REQUIRED)

function(quorva_add_test name)
    cmake_parse_arguments(T "TSAN" "LABEL;LOCK" "SOURCES;LIBS;DEFINITIONS" ${ARGN})
    if(NOT T_LABEL MATCHES "^(unit|db|gui|slow)$")
        message(FATAL_ERROR "${name}: LABEL must be unit, db, gui or slow")
    endif()
    if(QUORVA_SANITIZER STREQUAL "thread" AND NOT T_TSAN)
        return()
    endif()
    if(QUORVA_SANITIZER STREQUAL "address" AND NOT T_LABEL MATCHES "^(unit|db)$")
        return()
    endif()
    if(QUORVA_SANITIZER STREQUAL "thread" AND T_LABEL STREQUAL "db")
        list(APPEND T_SOURCES ${PROJECT_SOURCE_DIR}/tests/support/ClientLibraryTsan.cpp)
    endif()
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} quorva_test_main)
    if(T_DEFINITIONS)
        target_compile_definitions(${name} PRIVATE ${T_DEFINITIONS})
    endif()
    set(props LABELS ${T_LABEL} TIMEOUT 600)
    if(T_LABEL STREQUAL "db")
        list(APPEND props FIXTURES_REQUIRED firebird)
        if(QUORVA_SANITIZER STREQUAL "address")
            # The leak checker's tracer crashes on the database client
            # library's threads (always while they run, sometimes as they
            # end at exit); these tests keep the address and undefined
            # behaviour checks, the unit tests keep the leak check too.
            list(APPEND props ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0:abort_on_error=1")
        endif()
    endif()
    if(T_LOCK)
        list(APPEND props RESOURCE_LOCK ${T_LOCK})
    endif()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
        WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
        PROPERTIES ${props})
    set_property(GLOBAL APPEND PROPERTY QUORVA_TEST_TARGETS ${name})
endfunction()

# "cmake --build <dir> --target quorva_tests" builds just the registered tests.
function(quorva_finish_tests)
    get_property(targets GLOBAL PROPERTY QUORVA_TEST_TARGETS)
    add_custom_target(quorva_tests)
    if(targets)
        add_dependencies(quorva_tests ${targets})
    endif()
endfunction()
