# Reproducible deliverables: the same commit gives the same bytes whatever
# the build folder, the clock or the user.
#
# The only time stamps the toolchain writes are the PE header's and the
# export directory's (windres leaves the resource directories at zero). ld
# takes both from SOURCE_DATE_EPOCH, so every link gets one fixed value:
# SOURCE_DATE_EPOCH as given to the configure step, else the date of the
# checked-out commit, else 0 (no time stamp). The PE checksum is computed by
# ld over those bytes, so it follows.

# Neither the source nor the build folder leaks into the objects (__FILE__,
# debug information): both become relative. The build folder comes last so
# that it wins when it lies inside the sources.
add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=;-ffile-prefix-map=${CMAKE_BINARY_DIR}/=>")

# The test build links with the clock's time: nothing ships from it, and a
# new commit would otherwise relink every test program.
if(QZ_TESTS)
  return()
endif()

if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(QZ_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
else()
  set(QZ_SOURCE_DATE_EPOCH 0)
  execute_process(COMMAND git -C "${CMAKE_SOURCE_DIR}" log -1 --format=%ct
                  OUTPUT_VARIABLE commit_date OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE git_failed ERROR_QUIET)
  if(NOT git_failed AND commit_date MATCHES "^[0-9]+$")
    set(QZ_SOURCE_DATE_EPOCH "${commit_date}")
    # A new commit or another checkout configures again (both move HEAD's
    # reflog), so the time stamp never lags behind the sources.
    execute_process(COMMAND git -C "${CMAKE_SOURCE_DIR}" rev-parse --path-format=absolute
                            --git-path HEAD --git-path logs/HEAD
                    OUTPUT_VARIABLE git_paths OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    string(REPLACE "\n" ";" git_paths "${git_paths}")
    foreach(path IN LISTS git_paths)
      if(EXISTS "${path}")
        set_property(DIRECTORY "${CMAKE_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${path}")
      endif()
    endforeach()
  else()
    message(STATUS "No commit date (not a git checkout): the PE time stamps stay 0")
  endif()
endif()
if(NOT QZ_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
  message(FATAL_ERROR "SOURCE_DATE_EPOCH must be a number of seconds, not \"${QZ_SOURCE_DATE_EPOCH}\"")
endif()
message(STATUS "PE time stamp: ${QZ_SOURCE_DATE_EPOCH}")

# The value reaches ld through the link step's environment; the launcher
# is part of the link command, so a new value relinks everything.
foreach(lang C CXX)
  set(CMAKE_${lang}_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${QZ_SOURCE_DATE_EPOCH})
endforeach()
