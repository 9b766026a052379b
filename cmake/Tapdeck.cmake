# Build helpers shared by every deliverable, stand-in and test.

# A Windows GUI program with its resource script.
function(tapdeck_windows_program target)
    cmake_parse_arguments(P "CONSOLE" "" "SOURCES;LIBS;RESOURCE_DEPENDS" ${ARGN})
    add_executable(${target} ${P_SOURCES})
    if(NOT P_CONSOLE)
        set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE ON)
    endif()
    target_link_options(${target} PRIVATE -municode)
    target_link_libraries(${target} PRIVATE tapdeck_warnings ${P_LIBS})
    tapdeck_resource_depends(${target} ${P_RESOURCE_DEPENDS})
endfunction()

# windres never learns what a resource script includes.
function(tapdeck_resource_depends target)
    get_target_property(sources ${target} SOURCES)
    foreach(src IN LISTS sources)
        if(src MATCHES "\\.rc$")
            set_source_files_properties(${src} TARGET_DIRECTORY ${target} PROPERTIES OBJECT_DEPENDS "${ARGN}")
        endif()
    endforeach()
endfunction()

# A version record for one deliverable, from the shared template.
function(tapdeck_version_rc out_var file_name description)
    set(TAPDECK_FILE_NAME "${file_name}")
    set(TAPDECK_FILE_DESCRIPTION "${description}")
    string(REPLACE "." "," TAPDECK_VERSION_COMMAS "${PROJECT_VERSION}")
    # Explorer's properties and installers read the type: a DLL must say so.
    if(file_name MATCHES "\\.[dD][lL][lL]$")
        set(TAPDECK_FILE_TYPE VFT_DLL)
    else()
        set(TAPDECK_FILE_TYPE VFT_APP)
    endif()
    set(out "${CMAKE_CURRENT_BINARY_DIR}/${file_name}.version.rc")
    configure_file("${CMAKE_SOURCE_DIR}/resources/version.rc.in" "${out}" @ONLY)
    set(${out_var} "${out}" PARENT_SCOPE)
endfunction()

# The locks tests take, one for each piece of state that tests share:
#   agent            the agent's one instance per session (its mutexes,
#                    shutdown events and windows found by property) and the
#                    NFC world every agent reads and writes: NFCDB, the
#                    radio's files, the handler's log.
#   pairwell         Pairwell's one instance and its dialogs found by
#                    property, the stand-ins of its flow (Wi-Fi, toast,
#                    activation, app visibility, store) and the Start-menu
#                    shortcut that lets its toasts appear.
#   photoeditor      the photo editor stand-in's record of starts.
#   version_records  the maker's shared version records in HKLM.
# The usage-statistics stand-in is installed once and keeps each test's
# calls apart; a test that replaces, removes or slows it takes every lock,
# since every program of the product may have it loaded.
set(TAPDECK_TEST_LOCKS agent pairwell photoeditor version_records)

# Gives a test its locks. The agent's tests run one after another, a long
# chain in each prefix, so they go first whenever their lock is free; the
# others fill in around them.
function(tapdeck_test_locks test)
    set_tests_properties(${test} PROPERTIES RESOURCE_LOCK "${ARGN}")
    if("agent" IN_LIST ARGN)
        set_tests_properties(${test} PROPERTIES COST 1000)
    endif()
endfunction()

# The second prefix, made ready before the tests as the first one is
# (scripts/second-prefix). A test moved there shares no state with the
# first prefix's tests, so its locks are that prefix's own: the agent's
# tests, which one after another take longer than the rest of the suite,
# run as two chains side by side.
set(TAPDECK_SECOND_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix-2")
function(tapdeck_on_second_prefix)
    foreach(test IN LISTS ARGN)
        get_test_property(${test} ENVIRONMENT environment)
        list(TRANSFORM environment REPLACE "^WINEPREFIX=.*" "WINEPREFIX=${TAPDECK_SECOND_WINEPREFIX}")
        get_test_property(${test} RESOURCE_LOCK locks)
        list(TRANSFORM locks APPEND "@2")
        set_tests_properties(${test} PROPERTIES ENVIRONMENT "${environment}" RESOURCE_LOCK "${locks}")
    endforeach()
endfunction()

# What every test program finds in its environment: the prefix, a file of
# its own for the usage-statistics stand-in's record of calls, and Wine's
# own errors (elsewhere silenced), so that a program that dies as it starts
# leaves Wine's reason in the test's log.
function(tapdeck_test_environment test)
    set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT "WINEPREFIX=${TAPDECK_WINEPREFIX}"
                                                          "TAPDECK_TALLYR_RECORDS=${test}.log"
                                                          "WINEDEBUG=fixme-all,err-winediag" ${ARGN})
endfunction()

# A GoogleTest program run under Wine by ctest. INSTALLED programs drive or
# read the installed product and its stand-ins, so they need the install;
# LOCKS names the shared state they use (see above).
function(tapdeck_gtest name)
    cmake_parse_arguments(T "INSTALLED" "" "SOURCES;LIBS;LOCKS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_options(${name} PRIVATE -municode)
    target_include_directories(${name} PRIVATE "${CMAKE_SOURCE_DIR}/tests")
    target_link_libraries(${name} PRIVATE tapdeck_warnings ${T_LIBS} tapdeck_test_main)
    add_test(NAME ${name} COMMAND ${name})
    tapdeck_test_environment(${name})
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED prefix)
    if(T_INSTALLED)
        set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED "prefix;installed")
    endif()
    if(T_LOCKS)
        tapdeck_test_locks(${name} ${T_LOCKS})
    endif()
endfunction()

# The tests of a program that match FILTER (a gtest filter) as a ctest entry
# of their own: it takes its own LOCKS, so that the program's other tests,
# which its entry still runs, need only theirs; and its own COST, so that a
# long wait starts early, beside other work.
function(tapdeck_gtest_part program part)
    cmake_parse_arguments(T "" "FILTER;COST" "LOCKS" ${ARGN})
    add_test(NAME ${part} COMMAND "${CMAKE_CROSSCOMPILING_EMULATOR}" $<TARGET_FILE:${program}> --gtest_filter=${T_FILTER})
    tapdeck_test_environment(${part})
    get_test_property(${program} FIXTURES_REQUIRED fixtures)
    set_tests_properties(${part} PROPERTIES FIXTURES_REQUIRED "${fixtures}")
    if(T_LOCKS)
        tapdeck_test_locks(${part} ${T_LOCKS})
    endif()
    if(T_COST)
        set_tests_properties(${part} PROPERTIES COST ${T_COST})
    endif()
    tapdeck_gtest_exclude(${program} ${T_FILTER})
endfunction()

# The program's own entry leaves out the tests that match FILTER: another
# entry runs them.
function(tapdeck_gtest_exclude program filter)
    get_property(excluded GLOBAL PROPERTY tapdeck_excluded_${program})
    string(APPEND excluded ":${filter}")
    set_property(GLOBAL PROPERTY tapdeck_excluded_${program} "${excluded}")
    string(SUBSTRING "${excluded}" 1 -1 excluded)
    set_tests_properties(${program} PROPERTIES ENVIRONMENT_MODIFICATION "GTEST_FILTER=set:-${excluded}")
endfunction()

# One folder of tests: its *_process_test.cpp files become
# <name>_process_tests (they start the installed programs), its
# *_installed_test.cpp files <name>_installed_tests (they use the installed
# files and stand-ins in their own process), the other *_test.cpp files
# <name>_tests (unit tests that link the product's libraries). Each program
# takes the locks given for it (PROCESS_LOCKS, INSTALLED_LOCKS, UNIT_LOCKS).
function(tapdeck_test_folder name)
    cmake_parse_arguments(T "" "" "LIBS;PROCESS_LOCKS;INSTALLED_LOCKS;UNIT_LOCKS" ${ARGN})
    file(GLOB unit CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp")
    foreach(kind process installed)
        file(GLOB ${kind} CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*_${kind}_test.cpp")
        if(${kind})
            list(REMOVE_ITEM unit ${${kind}})
            string(TOUPPER ${kind} upper)
            tapdeck_gtest(${name}_${kind}_tests INSTALLED SOURCES ${${kind}} LIBS ${T_LIBS} tapdeck_test_support
                          LOCKS ${T_${upper}_LOCKS})
        endif()
    endforeach()
    if(unit)
        tapdeck_gtest(${name}_tests SOURCES ${unit} LIBS ${T_LIBS} tapdeck_test_support LOCKS ${T_UNIT_LOCKS})
    endif()
endfunction()
