# File actions on the selected results and the recent-entry lists of the editors.
add_library(tf_results_actions STATIC
  ${CMAKE_CURRENT_LIST_DIR}/file_actions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/recent_list.cpp
)
target_link_libraries(tf_results_actions PUBLIC tf_datatree tf_platform)
