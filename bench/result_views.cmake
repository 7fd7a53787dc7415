# The result lists over a million files, in the real pane on the offscreen platform.
if(TARGET tf_ui_results)
  add_executable(result_views_bench ${CMAKE_CURRENT_LIST_DIR}/result_views.cpp)
  target_link_libraries(result_views_bench PRIVATE tf_ui_results tf_duplicates)
endif()
