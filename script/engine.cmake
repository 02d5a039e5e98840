# The engine and its operations.
add_library(qz_script INTERFACE)
target_link_libraries(qz_script INTERFACE qz_script_table qz_uninstall)
