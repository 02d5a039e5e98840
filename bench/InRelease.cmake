# Brings the bench programs into a release configuration (QZ_TESTS=OFF):
# bench/run.sh passes this file as CMAKE_PROJECT_OrvaneSetup_INCLUDE, and the
# bench's CMakeLists.txt is read once the top-level one is done (a deferred
# call may include, not add a folder), so every bench program gets the flags,
# linker script and runtime of the deliverables it is measured against.
# A deferred call reads its variables when it runs: the path is kept in one.
if(NOT QZ_TESTS)
  set(QZB_LIST_FILE "${CMAKE_CURRENT_LIST_DIR}/CMakeLists.txt")
  cmake_language(DEFER CALL include "${QZB_LIST_FILE}")
endif()
