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

# A GoogleTest program run under Wine by ctest. PROCESS tests drive the
# installed product, so they need the install and take the agent's session
# objects one at a time; every program of the product may load the
# usage-statistics library that the client tests swap and count, so they
# take that lock too.
function(tapdeck_gtest name)
    cmake_parse_arguments(T "PROCESS" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_options(${name} PRIVATE -municode)
    target_include_directories(${name} PRIVATE "${CMAKE_SOURCE_DIR}/tests")
    target_link_libraries(${name} PRIVATE tapdeck_warnings ${T_LIBS} tapdeck_test_main)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "WINEPREFIX=${TAPDECK_WINEPREFIX}"
                                           FIXTURES_REQUIRED prefix)
    if(T_PROCESS)
        set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED "prefix;installed"
                                               RESOURCE_LOCK "tapdeck_session;tallyr")
    endif()
endfunction()

# One folder of tests: its *_test.cpp files become <name>_tests (unit tests
# that link the product's libraries), its *_process_test.cpp files become
# <name>_process_tests (they drive the installed product).
function(tapdeck_test_folder name)
    cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
    file(GLOB all CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp")
    file(GLOB process CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*_process_test.cpp")
    set(unit ${all})
    if(process)
        list(REMOVE_ITEM unit ${process})
        tapdeck_gtest(${name}_process_tests PROCESS SOURCES ${process} LIBS ${T_LIBS} tapdeck_test_support)
    endif()
    if(unit)
        tapdeck_gtest(${name}_tests SOURCES ${unit} LIBS ${T_LIBS} tapdeck_test_support)
    endif()
endfunction()
