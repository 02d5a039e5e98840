# The engine and its operations.
add_library(qz_script STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Script.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileOps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IdeOps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HelpOps.cpp)
target_link_libraries(qz_script PUBLIC qz_script_table qz_uninstall)
