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

# The test prefixes. Every test that runs under Wine has a prefix to itself
# while it runs: ctest hands out the build's prefixes as the resource
# "prefixes" (tests/prefixes.json, named by the test preset, lists their
# ids), and the Wine scripts run the test in the one it was given
# (scripts/wine-env). So two tests never share the agent's single instance,
# the stand-ins' state, the registry or a wineserver, and the tests that
# run at once each have a server of their own. There are more prefixes
# than ctest runs tests at once (-j2), so that a test that takes several
# still runs beside another. The first is the build's own prefix; the others,
# wineprefix-2 and on, are made ready before the tests from the pristine
# one (scripts/test-prefix).
file(READ "${CMAKE_SOURCE_DIR}/tests/prefixes.json" prefixes_json)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/prefixes.json")
string(JSON prefix_count LENGTH "${prefixes_json}" local 0 prefixes)
math(EXPR last_prefix "${prefix_count} - 1")
set(TAPDECK_TEST_PREFIX_IDS)
set(TAPDECK_TEST_PREFIX_PATHS)
foreach(index RANGE ${last_prefix})
    string(JSON id GET "${prefixes_json}" local 0 prefixes ${index} id)
    list(APPEND TAPDECK_TEST_PREFIX_IDS ${id})
    if(index EQUAL 0)
        list(APPEND TAPDECK_TEST_PREFIX_PATHS "${TAPDECK_WINEPREFIX}")
    else()
        math(EXPR number "${index} + 1")
        list(APPEND TAPDECK_TEST_PREFIX_PATHS "${CMAKE_BINARY_DIR}/wineprefix-${number}")
    endif()
endforeach()

# What every test program finds in its environment: each prefix's path by
# its resource id, the ids in order and the first one as WINEPREFIX (what a
# run without ctest's allocation uses), a file of its own for the
# usage-statistics stand-in's record of calls, and Wine's own errors
# (elsewhere silenced), so that a program that dies as it starts leaves
# Wine's reason in the test's log. It asks for one prefix, and waits until
# every prefix is ready (the fixture "test_prefixes"): any of them may be
# the one it is given, and one still being made is no place to run. Other
# fixtures a test needs are appended to that.
function(tapdeck_test_environment test)
    set(prefixes)
    foreach(id path IN ZIP_LISTS TAPDECK_TEST_PREFIX_IDS TAPDECK_TEST_PREFIX_PATHS)
        list(APPEND prefixes "TAPDECK_PREFIX_${id}=${path}")
    endforeach()
    string(REPLACE ";" " " ids "${TAPDECK_TEST_PREFIX_IDS}")
    set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT "WINEPREFIX=${TAPDECK_WINEPREFIX}" ${prefixes}
                                                          "TAPDECK_PREFIX_IDS=${ids}"
                                                          "TAPDECK_TALLYR_RECORDS=${test}.log"
                                                          "WINEDEBUG=fixme-all,err-winediag" ${ARGN})
    set_tests_properties(${test} PROPERTIES RESOURCE_GROUPS "1,prefixes:1" FIXTURES_REQUIRED "prefix;test_prefixes")
endfunction()

# A test that runs Windows programs at once, each in a prefix of its own
# (scripts/side-by-side; @0, @1 and on name the prefixes it is given, as
# many as it names). It can only start when that many prefixes are free, so
# it goes first.
function(tapdeck_side_by_side test)
    set(prefixes)
    foreach(arg IN LISTS ARGN)
        if(arg MATCHES "^@[0-9]+$")
            list(APPEND prefixes ${arg})
        endif()
    endforeach()
    list(REMOVE_DUPLICATES prefixes)
    list(LENGTH prefixes count)
    add_test(NAME ${test} COMMAND "${CMAKE_SOURCE_DIR}/scripts/side-by-side" ${ARGN})
    tapdeck_test_environment(${test})
    set_tests_properties(${test} PROPERTIES RESOURCE_GROUPS "${count},prefixes:1" COST 1000)
    set_property(TEST ${test} APPEND PROPERTY FIXTURES_REQUIRED installed)
endfunction()

# A GoogleTest program run under Wine by ctest. INSTALLED programs drive or
# read the installed product and its stand-ins, so they need the install. A
# program whose tests spend much of their time waiting on the product's
# timeouts runs IN_HALVES: half of its tests in each of two prefixes at once
# (GoogleTest's shards). One that RUNS_ELSEWHERE has no entry of its own: an
# entry that runs it beside others does.
function(tapdeck_gtest name)
    cmake_parse_arguments(T "INSTALLED;IN_HALVES;RUNS_ELSEWHERE" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_options(${name} PRIVATE -municode)
    target_include_directories(${name} PRIVATE "${CMAKE_SOURCE_DIR}/tests")
    target_link_libraries(${name} PRIVATE tapdeck_warnings ${T_LIBS} tapdeck_test_main)
    if(T_RUNS_ELSEWHERE)
        return()
    endif()
    if(T_IN_HALVES)
        tapdeck_side_by_side(${name} @0 GTEST_TOTAL_SHARDS=2 GTEST_SHARD_INDEX=0 $<TARGET_FILE:${name}> --
                                     @1 GTEST_TOTAL_SHARDS=2 GTEST_SHARD_INDEX=1 $<TARGET_FILE:${name}>)
        return()
    endif()
    add_test(NAME ${name} COMMAND ${name})
    tapdeck_test_environment(${name})
    if(T_INSTALLED)
        set_property(TEST ${name} APPEND PROPERTY FIXTURES_REQUIRED installed)
    endif()
endfunction()

# The tests of a program that match FILTER (a gtest filter) as a ctest entry
# of their own, with its own COST, so that a long wait starts early, beside
# other work. The program's own entry leaves them out.
function(tapdeck_gtest_part program part)
    cmake_parse_arguments(T "" "FILTER;COST" "" ${ARGN})
    add_test(NAME ${part} COMMAND "${CMAKE_CROSSCOMPILING_EMULATOR}" $<TARGET_FILE:${program}> --gtest_filter=${T_FILTER})
    tapdeck_test_environment(${part})
    get_test_property(${program} FIXTURES_REQUIRED fixtures)
    set_tests_properties(${part} PROPERTIES FIXTURES_REQUIRED "${fixtures}")
    if(T_COST)
        set_tests_properties(${part} PROPERTIES COST ${T_COST})
    endif()
    get_property(excluded GLOBAL PROPERTY tapdeck_excluded_${program})
    string(APPEND excluded ":${T_FILTER}")
    set_property(GLOBAL PROPERTY tapdeck_excluded_${program} "${excluded}")
    string(SUBSTRING "${excluded}" 1 -1 excluded)
    set_tests_properties(${program} PROPERTIES ENVIRONMENT_MODIFICATION "GTEST_FILTER=set:-${excluded}")
endfunction()

# How the folder's caller asked this kind of program to run: IN_HALVES or
# RUNS_ELSEWHERE, when it named the kind for it.
macro(tapdeck_folder_way kind out)
    set(${out})
    foreach(option IN_HALVES RUNS_ELSEWHERE)
        if("${kind}" IN_LIST T_${option})
            list(APPEND ${out} ${option})
        endif()
    endforeach()
endmacro()

# One folder of tests: its *_process_test.cpp files become
# <name>_process_tests (they start the installed programs), its
# *_installed_test.cpp files <name>_installed_tests (they use the installed
# files and stand-ins in their own process), the other *_test.cpp files
# <name>_tests (unit tests that link the product's libraries). IN_HALVES
# names the kinds (process, installed, unit) whose tests run in two
# prefixes at once, RUNS_ELSEWHERE those that another entry runs.
function(tapdeck_test_folder name)
    cmake_parse_arguments(T "" "" "LIBS;IN_HALVES;RUNS_ELSEWHERE" ${ARGN})
    file(GLOB unit CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp")
    foreach(kind process installed)
        file(GLOB ${kind} CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*_${kind}_test.cpp")
        if(${kind})
            list(REMOVE_ITEM unit ${${kind}})
            tapdeck_folder_way(${kind} way)
            tapdeck_gtest(${name}_${kind}_tests INSTALLED ${way} SOURCES ${${kind}} LIBS ${T_LIBS}
                          tapdeck_test_support)
        endif()
    endforeach()
    if(unit)
        tapdeck_folder_way(unit way)
        tapdeck_gtest(${name}_tests ${way} SOURCES ${unit} LIBS ${T_LIBS} tapdeck_test_support)
    endif()
endfunction()
