# Which certificate signs the programs and the package. Windows starts
# Pairwell, which asks for UI access, only when its signature chains to a
# root the PC trusts (and it lies in Program Files), and a signature without
# a time stamp stops being valid when its certificate expires. So a release
# build (-DTAPDECK_RELEASE=ON) refuses to build unless it is given the real
# certificate, its key and an RFC 3161 time-stamp server, and time-stamps
# every signature; any other build signs with a test certificate of its own
# and says so. Included by installer/CMakeLists.txt; run alone with
# cmake -D... -P signing.cmake it makes the same check.
function(tapdeck_check_signing)
    if(TAPDECK_RELEASE)
        set(missing)
        foreach(setting TAPDECK_SIGNING_CERT TAPDECK_SIGNING_KEY TAPDECK_TIMESTAMP_URL)
            if(NOT ${setting})
                list(APPEND missing ${setting})
            endif()
        endforeach()
        if(missing)
            list(JOIN missing ", " missing)
            message(FATAL_ERROR "A release build signs with the release certificate and time-stamps every "
                                "signature: set ${missing}.")
        endif()
        foreach(file IN ITEMS "${TAPDECK_SIGNING_CERT}" "${TAPDECK_SIGNING_KEY}")
            if(NOT EXISTS "${file}")
                message(FATAL_ERROR "Release signing: ${file} does not exist.")
            endif()
        endforeach()
    elseif(NOT TAPDECK_SIGNING_CERT)
        message(STATUS "Signing with this build tree's test certificate: on Windows its Pairwell starts only on a "
                       "PC that trusts that certificate. Release builds: -DTAPDECK_RELEASE=ON with "
                       "TAPDECK_SIGNING_CERT, TAPDECK_SIGNING_KEY and TAPDECK_TIMESTAMP_URL.")
    endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
    tapdeck_check_signing()
endif()
