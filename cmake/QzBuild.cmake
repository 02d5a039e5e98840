# Compiler and linker settings shared by every target, and the helpers that
# declare deliverables.

add_compile_definitions(UNICODE _UNICODE STRICT NOMINMAX WIN32_LEAN_AND_MEAN
                        _WIN32_WINNT=0x0601 WINVER=0x0601 _WIN32_IE=0x0600)
add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-Wall;-Wextra;-Wshadow;-Wcast-qual;-Wformat=2;-Werror>")
# Nothing throws or catches: failures travel as result codes, and what the
# standard library would throw ends the process (support/MinimalRuntime.cpp).
# No code asks for a type at run time either. Without unwind data
# --gc-sections can drop every function nobody calls. No -fdata-sections:
# with it mingw's GCC places zero-initialised variables in .data, in the
# file, instead of .bss; unused data goes at link time all the same.
set(QZ_CODE_OPTIONS -ffunction-sections -fno-asynchronous-unwind-tables -fno-unwind-tables)
set(QZ_CXX_OPTIONS -fno-exceptions -fno-threadsafe-statics -fno-rtti)
add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:${QZ_CODE_OPTIONS}>" "$<$<COMPILE_LANGUAGE:CXX>:${QZ_CXX_OPTIONS}>")
set(CMAKE_C_FLAGS_MINSIZEREL "-Os")
set(CMAKE_CXX_FLAGS_MINSIZEREL "-Os")
add_link_options(-static -static-libgcc -static-libstdc++ -Wl,--gc-sections)
if(NOT QZ_TESTS)
  # The deliverables are compiled as one unit at link time, which also merges
  # the string constants that several files share. One partition: GCC 12
  # crashes linking setup with the default partitioning. The code generation
  # happens at link time, so the link takes the code options too.
  add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-flto>")
  add_link_options(-s -flto -flto-partition=one ${QZ_CODE_OPTIONS} ${QZ_CXX_OPTIONS})
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    # Keeps only the unwind data anything still needs, and folds the C
    # runtime's two tiny sections into .data (the script says how).
    set(QZ_LINKER_SCRIPT "${CMAKE_CURRENT_LIST_DIR}/pe-i386.ld")
    add_link_options(-Wl,-T,${QZ_LINKER_SCRIPT})
  endif()
endif()

# Every program and the DLL link this object: the abort-only throw helpers,
# the allocation operators and the string members, so that libstdc++'s
# exception machinery and demangling terminate handler are never pulled in.
set(QZ_RUNTIME_SOURCE "${CMAKE_SOURCE_DIR}/support/MinimalRuntime.cpp")

# qz_page_align(<target>): after each link the target's resources start at a
# page-aligned file offset, so that Wine maps them instead of reading them
# whole at every start (tools/pagealign.py). Comes before signing and copying.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
function(qz_page_align target)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS "${CMAKE_SOURCE_DIR}/tools/pagealign.py")
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND Python3::Interpreter "${CMAKE_SOURCE_DIR}/tools/pagealign.py" "$<TARGET_FILE:${target}>"
    VERBATIM)
endfunction()

# qz_image_flags(<target>): the image flags of a deliverable.
function(qz_image_flags target)
  # No code registers an SEH handler frame (i686 GCC unwinds without SEH), so
  # the dispatcher may call no handler inside the image: an overwritten frame
  # on the stack leads nowhere. x64 handlers live in tables only.
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    target_link_options(${target} PRIVATE -Wl,--no-seh)
  endif()
  # A Remote Desktop server gives programs not aware of it a per-user Windows
  # folder; setup's and untwk's files belong in the real one.
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    target_link_options(${target} PRIVATE -Wl,--tsaware)
  endif()
endfunction()

# qz_deliverable(<target>): sign the built file when a certificate is given
# (cmake/Sign.cmake), then copy it to QZ_DIST_DIR, after each build.
function(qz_deliverable target)
  if(QZ_TESTS AND CMAKE_SIZEOF_VOID_P EQUAL 4)
    # The tests run the release's files; these are built only when asked for.
    set_target_properties(${target} PROPERTIES EXCLUDE_FROM_ALL ON)
  endif()
  if(QZ_LINKER_SCRIPT)
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS "${QZ_LINKER_SCRIPT}")
  endif()
  qz_image_flags(${target})
  qz_sign(${target})
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory "${QZ_DIST_DIR}"
    COMMAND ${CMAKE_COMMAND} -E copy_if_different "$<TARGET_FILE:${target}>" "${QZ_DIST_DIR}/"
    VERBATIM)
endfunction()

# ---- System DLLs outside the KnownDLLs list, loaded on first use ----------
# version, comctl32 and shell32 are linked through delay-load import
# libraries made from the toolchain's own import libraries, so no program
# imports them at start-up, before its search order is hardened. Targets
# keep linking them by name: the imported targets below take that name's
# place. The delay-load hook in support/SystemDll.cpp loads them from the
# system folder.
# The 32-bit test build links their import libraries directly: without the
# release's link-time optimisation, ld leaves the delayed imports' slots of
# an i386 test program empty (a call through one jumps to address 0). The
# shipped files' delayed loading is what the scenarios check.
if(NOT (QZ_TESTS AND CMAKE_SIZEOF_VOID_P EQUAL 4))
  find_program(QZ_DLLTOOL NAMES ${QZ_TRIPLET}-dlltool REQUIRED)
  find_program(QZ_NM NAMES ${QZ_TRIPLET}-nm REQUIRED)
  set(QZ_DELAY_DIR "${CMAKE_BINARY_DIR}/delayimp")
  file(MAKE_DIRECTORY "${QZ_DELAY_DIR}")
  foreach(dll version comctl32 shell32)
    find_library(QZ_IMPLIB_${dll} NAMES lib${dll}.a REQUIRED NO_CACHE)
    execute_process(COMMAND ${QZ_NM} -g "${QZ_IMPLIB_${dll}}" OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
    string(REGEX MATCHALL "I __imp_[^\n]+" names "${symbols}")
    list(TRANSFORM names REPLACE "^I __imp_" "")
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      # i686 names carry the C underscore, which dlltool adds back itself.
      list(TRANSFORM names REPLACE "^_" "")
      set(kill_at --kill-at)
    else()
      set(kill_at)
    endif()
    list(REMOVE_DUPLICATES names)
    list(JOIN names "\n" exports)
    file(WRITE "${QZ_DELAY_DIR}/${dll}.def" "LIBRARY ${dll}.dll\nEXPORTS\n${exports}\n")
    # dlltool writes its temporary objects into the current folder.
    execute_process(COMMAND ${QZ_DLLTOOL} --input-def "${QZ_DELAY_DIR}/${dll}.def"
                            --output-delaylib "${QZ_DELAY_DIR}/libqz_delay_${dll}.a" ${kill_at}
                    WORKING_DIRECTORY "${QZ_DELAY_DIR}" COMMAND_ERROR_IS_FATAL ANY)
    add_library(${dll} STATIC IMPORTED GLOBAL)
    set_target_properties(${dll} PROPERTIES IMPORTED_LOCATION "${QZ_DELAY_DIR}/libqz_delay_${dll}.a"
                                            INTERFACE_LINK_LIBRARIES delayimp)
  endforeach()
endif()

# Whoever links the support library links its delay-load hook, ahead of the
# empty default hook in libdelayimp.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(QZ_DELAY_HOOK_SYMBOL ___pfnDliNotifyHook2)
else()
  set(QZ_DELAY_HOOK_SYMBOL __pfnDliNotifyHook2)
endif()
