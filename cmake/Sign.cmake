# Authenticode signing with the vendor's certificate, through osslsigncode.
#
# Given a PKCS#12 file, every deliverable is signed right after its link:
# untwk.exe and qzlabout.dll first, so that setup.exe embeds the signed
# files, then setup.exe. Without one nothing is signed. Each setting is a
# cache variable; left empty, the environment variable of the same name
# counts (read when the build is configured).
set(QZ_SIGN_PKCS12 "" CACHE FILEPATH "PKCS#12 file with the code-signing certificate and its key")
set(QZ_SIGN_PASSWORD_FILE "" CACHE FILEPATH "File holding the PKCS#12 password (none: no password)")
set(QZ_SIGN_TIMESTAMP_URL "" CACHE STRING "RFC 3161 time-stamp server (none: no time stamp)")

foreach(setting PKCS12 PASSWORD_FILE TIMESTAMP_URL)
  set(qz_sign_${setting} "${QZ_SIGN_${setting}}")
  if(qz_sign_${setting} STREQUAL "" AND DEFINED ENV{QZ_SIGN_${setting}})
    set(qz_sign_${setting} "$ENV{QZ_SIGN_${setting}}")
  endif()
endforeach()

set(QZ_SIGN_COMMAND "")
if(NOT qz_sign_PKCS12 STREQUAL "")
  find_program(QZ_OSSLSIGNCODE osslsigncode)
  if(NOT QZ_OSSLSIGNCODE)
    message(FATAL_ERROR "Signing needs osslsigncode (Debian package osslsigncode)")
  endif()
  foreach(file PKCS12 PASSWORD_FILE)
    if(NOT qz_sign_${file} STREQUAL "" AND NOT EXISTS "${qz_sign_${file}}")
      message(FATAL_ERROR "QZ_SIGN_${file}: no file \"${qz_sign_${file}}\"")
    endif()
  endforeach()
  set(QZ_SIGN_COMMAND ${QZ_OSSLSIGNCODE} sign -pkcs12 "${qz_sign_PKCS12}"
                      -n "Orvane library ${PROJECT_VERSION}")
  if(NOT qz_sign_PASSWORD_FILE STREQUAL "")
    list(APPEND QZ_SIGN_COMMAND -readpass "${qz_sign_PASSWORD_FILE}")
  endif()
  if(NOT qz_sign_TIMESTAMP_URL STREQUAL "")
    list(APPEND QZ_SIGN_COMMAND -ts "${qz_sign_TIMESTAMP_URL}")
  elseif(QZ_SOURCE_DATE_EPOCH GREATER 0)
    # RSA signatures are deterministic: with the signing time fixed to the
    # build's time stamp, a signed rebuild gives the same bytes.
    list(APPEND QZ_SIGN_COMMAND -time ${QZ_SOURCE_DATE_EPOCH})
  endif()
  message(STATUS "Signing the deliverables with ${qz_sign_PKCS12}")
endif()

# qz_sign(<target>): sign the target's file in place after its link
# (nothing when no certificate is given).
function(qz_sign target)
  if(NOT QZ_SIGN_COMMAND)
    return()
  endif()
  set(file "$<TARGET_FILE:${target}>")
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E rm -f "${file}.signed"
    COMMAND ${QZ_SIGN_COMMAND} -in "${file}" -out "${file}.signed"
    COMMAND ${CMAKE_COMMAND} -E rename "${file}.signed" "${file}"
    VERBATIM)
endfunction()
