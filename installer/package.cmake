# Builds the Windows Installer packages from the built programs, run with
# cmake -P by the build:
#   1. the four programs stripped, their symbols kept in symbols/<name>.debug
#      (linked from the program by .gnu_debuglink) for crash analysis;
#   2. the programs signed, then staged with the language files and the
#      companion profile exactly as they are installed;
#   3. TapdeckSetup.msi (VERSION) and upgrade/TapdeckSetup.msi (UPGRADE_VERSION,
#      the same files, to try an upgrade) compiled by wixl and signed; both
#      record PROGRAM_VERSION, the programs' own, in their registrations.
# Signing uses CERT and KEY (with PASS_FILE and TIMESTAMP_URL when given); when
# CERT is empty a test certificate made here, in test-signing/, signs.
# Inputs (-D): OUT, WXS, VERSION, UPGRADE_VERSION, PROGRAM_VERSION, ICON, PROGRAMS and
# LANGUAGE_FILES (<language>/<file>=<path> entries) each joined by "|",
# PROFILE, OBJCOPY, WIXL, MSIBUILD, OSSLSIGNCODE, OPENSSL, CERT, KEY,
# PASS_FILE, TIMESTAMP_URL.
cmake_minimum_required(VERSION 3.25)

function(run)
    execute_process(COMMAND ${ARGN} WORKING_DIRECTORY "${OUT}" RESULT_VARIABLE code OUTPUT_VARIABLE out
                    ERROR_VARIABLE out)
    if(NOT code EQUAL 0)
        list(JOIN ARGN " " line)
        message(FATAL_ERROR "packaging failed (${code}): ${line}\n${out}")
    endif()
endfunction()

if(NOT CERT)
    message(STATUS "Signed with the test certificate ${OUT}/test-signing/cert.pem: on Windows this build's "
                   "Pairwell starts only where that certificate is trusted.")
    set(CERT "${OUT}/test-signing/cert.pem")
    set(KEY "${OUT}/test-signing/key.pem")
    if(NOT EXISTS "${CERT}" OR NOT EXISTS "${KEY}")
        file(MAKE_DIRECTORY "${OUT}/test-signing")
        # A code-signing certificate of this build tree only; never committed.
        run("${OPENSSL}" req -x509 -newkey rsa:2048 -nodes -sha256 -days 3650 -keyout "${KEY}" -out "${CERT}"
            -subj "/CN=Vexa Corporation Test Signing/O=Vexa Corporation"
            -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning")
    endif()
endif()
set(sign_args -certs "${CERT}" -key "${KEY}" -h sha256 -n "Tapdeck")
if(PASS_FILE)
    list(APPEND sign_args -readpass "${PASS_FILE}")
endif()
if(TIMESTAMP_URL)
    list(APPEND sign_args -ts "${TIMESTAMP_URL}")
endif()
function(sign in out)
    file(REMOVE "${out}")
    run("${OSSLSIGNCODE}" sign ${sign_args} -in "${in}" -out "${out}")
endfunction()

string(REPLACE "|" ";" PROGRAMS "${PROGRAMS}")
string(REPLACE "|" ";" LANGUAGE_FILES "${LANGUAGE_FILES}")
set(payload "${OUT}/payload")
file(REMOVE_RECURSE "${payload}" "${OUT}/unsigned")
file(MAKE_DIRECTORY "${payload}" "${OUT}/unsigned" "${OUT}/symbols")

foreach(program IN LISTS PROGRAMS)
    get_filename_component(name "${program}" NAME)
    set(debug "${OUT}/symbols/${name}.debug")
    run("${OBJCOPY}" --only-keep-debug "${program}" "${debug}")
    run("${OBJCOPY}" --strip-all "--add-gnu-debuglink=${debug}" "${program}" "${OUT}/unsigned/${name}")
    sign("${OUT}/unsigned/${name}" "${payload}/${name}")
endforeach()
foreach(entry IN LISTS LANGUAGE_FILES)
    string(REGEX MATCH "^([^=]+)=(.*)$" _ "${entry}")
    get_filename_component(folder "${payload}/${CMAKE_MATCH_1}" DIRECTORY)
    file(COPY "${CMAKE_MATCH_2}" DESTINATION "${folder}")
endforeach()
file(COPY "${PROFILE}" DESTINATION "${payload}/Pairwell Profile")
file(COPY_FILE "${ICON}" "${OUT}/Tapdeck.ico")

# wixl finds sources relative to its working folder.
function(package version msi)
    get_filename_component(folder "${msi}" DIRECTORY)
    file(MAKE_DIRECTORY "${folder}")
    set(unsigned "${OUT}/unsigned/TapdeckSetup-${version}.msi")
    run("${WIXL}" -a x64 -D "Version=${version}" -D "ProgramVersion=${PROGRAM_VERSION}" -D StageDir=payload -D IconFile=Tapdeck.ico -o "${unsigned}" "${WXS}")
    # wixl makes Execute="rollback" an immediate action: give each its rollback
    # type (18 program from an installed file + 64 ignore result + 256 rollback
    # + 1024 in script, + 2048 not impersonated but for the agent's restart,
    # which runs as the installing user).
    foreach(action RollbackAgent RestoreAgent RestoreShortcut)
        run("${MSIBUILD}" "${unsigned}" -q "UPDATE CustomAction SET Type=3410 WHERE Action='${action}'")
    endforeach()
    run("${MSIBUILD}" "${unsigned}" -q "UPDATE CustomAction SET Type=1362 WHERE Action='RestartAgent'")
    sign("${unsigned}" "${msi}")
endfunction()
package("${VERSION}" "${OUT}/TapdeckSetup.msi")
package("${UPGRADE_VERSION}" "${OUT}/upgrade/TapdeckSetup.msi")
