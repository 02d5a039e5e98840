# Compiler and linker settings shared by every target, and the helpers that
# declare deliverables.

add_compile_definitions(UNICODE _UNICODE STRICT NOMINMAX WIN32_LEAN_AND_MEAN
                        _WIN32_WINNT=0x0601 WINVER=0x0601 _WIN32_IE=0x0600)
add_compile_options(
  "$<$<COMPILE_LANGUAGE:C,CXX>:-Wall;-Wextra;-Wshadow;-Wcast-qual;-Wformat=2;-Werror>"
  "$<$<COMPILE_LANGUAGE:C,CXX>:-ffunction-sections;-fdata-sections>")
set(CMAKE_C_FLAGS_MINSIZEREL "-Os")
set(CMAKE_CXX_FLAGS_MINSIZEREL "-Os")
add_link_options(-static -static-libgcc -static-libstdc++ -Wl,--gc-sections)
if(NOT QZ_TESTS)
  add_link_options(-s)
endif()

# Every program and the DLL link this object first, so that libstdc++'s
# demangling terminate handler is never pulled in.
set(QZ_RUNTIME_SOURCE "${CMAKE_SOURCE_DIR}/support/MinimalRuntime.cpp")

# qz_deliverable(<target>): copy the built file to QZ_DIST_DIR after each build.
function(qz_deliverable target)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory "${QZ_DIST_DIR}"
    COMMAND ${CMAKE_COMMAND} -E copy_if_different "$<TARGET_FILE:${target}>" "${QZ_DIST_DIR}/"
    VERBATIM)
endfunction()
