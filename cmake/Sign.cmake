# Authenticode signing through osslsigncode.
#
# Given the vendor's PKCS#12 file, every deliverable is signed right after
# its link: untwk.exe and qzlabout.dll first, so that setup.exe embeds the
# signed files, then setup.exe. Given instead a folder of signed
# deliverables (a shipped dist/), their signatures are attached to the files
# of this build: when this build has the shipped bytes, the result is the
# shipped files exactly, so anyone can rebuild a signed release without the
# key. With neither, nothing is signed.
#
# Each setting is a cache variable; left empty, the environment variable of
# the same name counts (read when the build is configured).
set(QZ_SIGN_PKCS12 "" CACHE FILEPATH "PKCS#12 file with the code-signing certificate and its key")
set(QZ_SIGN_PASSWORD_FILE "" CACHE FILEPATH "File holding the PKCS#12 password (none: no password)")
set(QZ_SIGN_TIMESTAMP_URL "" CACHE STRING "RFC 3161 time-stamp server (none: no time stamp)")
set(QZ_SIGNATURES_FROM "" CACHE PATH "Folder of signed deliverables whose signatures are attached instead")

foreach(setting SIGN_PKCS12 SIGN_PASSWORD_FILE SIGN_TIMESTAMP_URL SIGNATURES_FROM)
  set(qz_${setting} "${QZ_${setting}}")
  if(qz_${setting} STREQUAL "" AND DEFINED ENV{QZ_${setting}})
    set(qz_${setting} "$ENV{QZ_${setting}}")
  endif()
endforeach()
foreach(path SIGN_PKCS12 SIGN_PASSWORD_FILE SIGNATURES_FROM)
  if(NOT qz_${path} STREQUAL "" AND NOT EXISTS "${qz_${path}}")
    message(FATAL_ERROR "QZ_${path}: \"${qz_${path}}\" does not exist")
  endif()
endforeach()
if(NOT qz_SIGN_PKCS12 STREQUAL "" AND NOT qz_SIGNATURES_FROM STREQUAL "")
  message(FATAL_ERROR "QZ_SIGN_PKCS12 signs, QZ_SIGNATURES_FROM attaches signatures: give one of them")
endif()

set(QZ_SIGN_COMMAND "")
if(NOT qz_SIGN_PKCS12 STREQUAL "")
  set(QZ_SIGN_COMMAND sign -pkcs12 "${qz_SIGN_PKCS12}" -n "Orvane library ${PROJECT_VERSION}")
  if(NOT qz_SIGN_PASSWORD_FILE STREQUAL "")
    list(APPEND QZ_SIGN_COMMAND -readpass "${qz_SIGN_PASSWORD_FILE}")
  endif()
  if(NOT qz_SIGN_TIMESTAMP_URL STREQUAL "")
    list(APPEND QZ_SIGN_COMMAND -ts "${qz_SIGN_TIMESTAMP_URL}")
  elseif(QZ_SOURCE_DATE_EPOCH GREATER 0)
    # RSA signatures are deterministic: with the signing time fixed to the
    # build's time stamp, a signed rebuild gives the same bytes.
    list(APPEND QZ_SIGN_COMMAND -time ${QZ_SOURCE_DATE_EPOCH})
  endif()
  message(STATUS "Signing the deliverables with ${qz_SIGN_PKCS12}")
elseif(NOT qz_SIGNATURES_FROM STREQUAL "")
  message(STATUS "Attaching the signatures of ${qz_SIGNATURES_FROM}")
endif()
if(NOT QZ_SIGN_COMMAND STREQUAL "" OR NOT qz_SIGNATURES_FROM STREQUAL "")
  find_program(QZ_OSSLSIGNCODE osslsigncode)
  if(NOT QZ_OSSLSIGNCODE)
    message(FATAL_ERROR "Signing needs osslsigncode (Debian package osslsigncode)")
  endif()
endif()

# qz_sign(<target>): sign the target's file in place after its link, or
# attach the shipped file's signature to it. A renewed certificate or
# another shipped file relinks.
function(qz_sign target)
  set(file "$<TARGET_FILE:${target}>")
  if(NOT QZ_SIGN_COMMAND STREQUAL "")
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS "${qz_SIGN_PKCS12}")
    set(sign COMMAND ${QZ_OSSLSIGNCODE} ${QZ_SIGN_COMMAND} -in "${file}" -out "${file}.signed")
  elseif(NOT qz_SIGNATURES_FROM STREQUAL "")
    set(shipped "${qz_SIGNATURES_FROM}/$<TARGET_FILE_NAME:${target}>")
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS "${shipped}")
    # attach-signature also checks the signer's chain against the system's
    # CAs and fails when it is not among them; whether the bytes match is
    # for the comparison with the shipped files to say.
    set(sign COMMAND ${QZ_OSSLSIGNCODE} extract-signature -in "${shipped}" -out "${file}.p7"
             COMMAND ${QZ_OSSLSIGNCODE} attach-signature -sigin "${file}.p7" -in "${file}" -out "${file}.signed"
                     > "${file}.attach.log" 2>&1 || ${CMAKE_COMMAND} -E true)
  else()
    return()
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E rm -f "${file}.signed" "${file}.p7"
    ${sign}
    COMMAND ${CMAKE_COMMAND} -E rename "${file}.signed" "${file}"
    VERBATIM)
endfunction()
