# tf_app_zip: the loader of the zip plug-in module.
include(${CMAKE_CURRENT_LIST_DIR}/../platform/dynamic_library.cmake)
add_library(tf_app_zip STATIC ${CMAKE_CURRENT_LIST_DIR}/zip_plugin.cpp)
target_link_libraries(tf_app_zip PUBLIC tf_platform_dl)
