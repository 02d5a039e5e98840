# The product's install script table (made by tools/gen_script.py, cmake/Product.cmake).
add_library(qz_script_table STATIC "${QZ_GENERATED_DIR}/script/ScriptItems.cpp")
target_link_libraries(qz_script_table PUBLIC qz_catalogue)
