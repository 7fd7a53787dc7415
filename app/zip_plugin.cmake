# tf_app_zip: the loader of the zip plug-in module.
include(${CMAKE_CURRENT_LIST_DIR}/../platform/dynamic_library.cmake)
add_library(tf_app_zip STATIC ${CMAKE_CURRENT_LIST_DIR}/zip_plugin.cpp)
target_link_libraries(tf_app_zip PUBLIC tf_platform_dl)
# Where the plug-in lies once installed, relative to the programs' folder.
file(RELATIVE_PATH plugin_folder ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR}/twinfold)
target_compile_definitions(tf_app_zip PRIVATE TWINFOLD_PLUGIN_FOLDER="${plugin_folder}")
