# Language-resource files built the Windows way: a program carries a "MUI"
# resource configuration and no string tables; <language>\<program>.mui is a
# resource-only PE with its own configuration and the string tables.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(TAPDECK_MUI_PYTHON "${Python3_EXECUTABLE}" CACHE INTERNAL "")
set(TAPDECK_MUI_GENERATOR "${CMAKE_CURRENT_LIST_DIR}/make_mui_config.py" CACHE INTERNAL "")
set(TAPDECK_MUI_FALLBACK_LANGUAGE "en-US" CACHE INTERNAL "")

# Gives a program its resource configuration: tapdeck_mui_config(<target> <exe file name>).
function(tapdeck_mui_config target exe_name)
    set(blob "${CMAKE_CURRENT_BINARY_DIR}/${exe_name}.mui-config.bin")
    set(script "${CMAKE_CURRENT_BINARY_DIR}/${exe_name}.mui-config.rc")
    add_custom_command(OUTPUT "${blob}"
        COMMAND "${TAPDECK_MUI_PYTHON}" "${TAPDECK_MUI_GENERATOR}" program "${exe_name}"
                "${TAPDECK_MUI_FALLBACK_LANGUAGE}" "${blob}"
        DEPENDS "${TAPDECK_MUI_GENERATOR}"
        COMMENT "Resource configuration of ${exe_name}"
        VERBATIM)
    file(CONFIGURE OUTPUT "${script}" CONTENT "1 MUI \"${blob}\"\n" @ONLY)
    target_sources(${target} PRIVATE "${script}")
    set_source_files_properties("${script}" TARGET_DIRECTORY ${target} PROPERTIES OBJECT_DEPENDS "${blob}")
endfunction()

# One language-resource file of a program:
# tapdeck_mui_satellite(<target> EXE <exe file name> LANGUAGE <ll-CC> STRINGS <string table .rc>
#                       OUTPUT_DIRECTORY <folder of the program> [INSTALL_DESTINATION <folder>]
#                       [DEPENDS <headers the string table includes>])
# The file lands in <OUTPUT_DIRECTORY>/<LANGUAGE>/<EXE>.mui and installs into
# <INSTALL_DESTINATION>/<LANGUAGE>/.
function(tapdeck_mui_satellite target)
    cmake_parse_arguments(S "" "EXE;LANGUAGE;STRINGS;OUTPUT_DIRECTORY;INSTALL_DESTINATION" "DEPENDS" ${ARGN})
    set(blob "${CMAKE_CURRENT_BINARY_DIR}/${target}.mui-config.bin")
    set(script "${CMAKE_CURRENT_BINARY_DIR}/${target}.rc")
    add_custom_command(OUTPUT "${blob}"
        COMMAND "${TAPDECK_MUI_PYTHON}" "${TAPDECK_MUI_GENERATOR}" language "${S_EXE}" "${S_LANGUAGE}" "${blob}"
        DEPENDS "${TAPDECK_MUI_GENERATOR}"
        COMMENT "Resource configuration of ${S_LANGUAGE}\\${S_EXE}.mui"
        VERBATIM)
    file(CONFIGURE OUTPUT "${script}" CONTENT "1 MUI \"${blob}\"\n#include \"${S_STRINGS}\"\n" @ONLY)
    # A MODULE: a SHARED library would collide with others on its import library.
    add_library(${target} MODULE "${script}")
    get_filename_component(strings_dir "${S_STRINGS}" DIRECTORY)
    target_include_directories(${target} PRIVATE "${strings_dir}")
    set_source_files_properties("${script}" TARGET_DIRECTORY ${target} PROPERTIES
                                OBJECT_DEPENDS "${blob};${S_STRINGS};${S_DEPENDS}")
    set_target_properties(${target} PROPERTIES
        LINKER_LANGUAGE CXX
        PREFIX ""
        OUTPUT_NAME "${S_EXE}"
        SUFFIX ".mui"
        LIBRARY_OUTPUT_DIRECTORY "${S_OUTPUT_DIRECTORY}/${S_LANGUAGE}")
    # Resources only: no code, no entry point, no runtime.
    target_link_options(${target} PRIVATE -nostdlib -Wl,--entry=0 -s)
    if(S_INSTALL_DESTINATION)
        install(TARGETS ${target} LIBRARY DESTINATION "${S_INSTALL_DESTINATION}/${S_LANGUAGE}")
    endif()
endfunction()
