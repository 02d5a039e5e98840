# The product's install script table.
add_library(qz_script_table INTERFACE)
target_link_libraries(qz_script_table INTERFACE qz_core)
