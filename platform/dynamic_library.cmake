# tf_platform_dl: loading shared modules at run time (the zip plug-in).
if(NOT TARGET tf_platform_dl)
  add_library(tf_platform_dl STATIC ${CMAKE_CURRENT_LIST_DIR}/dynamic_library.cpp)
  target_link_libraries(tf_platform_dl PUBLIC ${CMAKE_DL_LIBS})
endif()
