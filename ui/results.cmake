# tf_ui_results: the results pane with its mode bar, the separate lists view and the
# unified list view, over models that point into the result tree.
set(dir ${CMAKE_CURRENT_LIST_DIR})
add_library(tf_ui_results STATIC
  ${dir}/result_rows_model.cpp
  ${dir}/result_list_view.cpp
  ${dir}/separate_lists_view.cpp
  ${dir}/unified_list_view.cpp
  ${dir}/results_pane.cpp
)
set_target_properties(tf_ui_results PROPERTIES AUTOMOC ON)
target_link_libraries(tf_ui_results PUBLIC tf_ui tf_results_rows tf_results_actions)
