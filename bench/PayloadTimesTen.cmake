# Writes the resource file of qzb_setup_x10: setup's own built files (ids 28
# and 50, as setup has them), then the whole payload list again under nine
# further id ranges. Run at build time, as the payload list is made then.
# -DLIST=<payload.lst> -DROOT=<its folder's root> -DOUT=<.rc>
# -DTARGET_<name>=<file> for each "@name" of the list
file(STRINGS "${LIST}" lines REGEX "^[0-9]+ ")
set(rc "28 QZLIB \"${TARGET_untwk}\"\n50 QZLIB \"${TARGET_qzlabout}\"\n")
foreach(copy RANGE 1 9)
  foreach(line ${lines})
    string(REGEX MATCH "^([0-9]+) (.*)$" _ "${line}")
    math(EXPR id "${copy} * 3000 + ${CMAKE_MATCH_1}")
    set(file "${CMAKE_MATCH_2}")
    if(file MATCHES "^@(.*)")
      set(file "${TARGET_${CMAKE_MATCH_1}}")
    else()
      set(file "${ROOT}/${file}")
    endif()
    string(APPEND rc "${id} QZLIB \"${file}\"\n")
  endforeach()
endforeach()
file(WRITE "${OUT}" "${rc}")
