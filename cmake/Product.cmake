# The product's tables and payload files, made from its description
# (tools/product.py, and the script's rules and payload files beside it)
# into the build folder, which mirrors the product folders: a file there
# is included as "catalogue/ProductCounts.h" like any other.
set(QZ_GENERATED_DIR "${CMAKE_BINARY_DIR}/generated")
set(QZ_GENERATED_SOURCES
  "${QZ_GENERATED_DIR}/catalogue/ProductCounts.h"
  "${QZ_GENERATED_DIR}/catalogue/CatalogueTables.inc"
  "${QZ_GENERATED_DIR}/aboutbox/IdeLabels.inc"
  "${QZ_GENERATED_DIR}/setup/ExtraItems.inc"
  "${QZ_GENERATED_DIR}/script/ScriptItems.cpp"
  "${QZ_GENERATED_DIR}/resources/payload.rc"
  "${QZ_GENERATED_DIR}/resources/payload.lst")
# Every output is written at each run, the payload files included, so the
# payload list stands for all of them (a file dropped from the payload goes).
add_custom_command(OUTPUT ${QZ_GENERATED_SOURCES}
  COMMAND ${CMAKE_COMMAND} -E rm -rf "${QZ_GENERATED_DIR}/resources/payload"
  COMMAND Python3::Interpreter "${CMAKE_SOURCE_DIR}/tools/gen_script.py" --out "${QZ_GENERATED_DIR}"
  DEPENDS "${CMAKE_SOURCE_DIR}/tools/gen_script.py" "${CMAKE_SOURCE_DIR}/tools/product.py"
          "${CMAKE_SOURCE_DIR}/tools/payload.py"
  COMMENT "Generating the product's tables and payload"
  VERBATIM)
add_custom_target(qz_generated DEPENDS ${QZ_GENERATED_SOURCES})
