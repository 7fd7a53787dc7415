# tf_ui_search: the search window with its tab bar, the folder page and the criteria page.
set(dir ${CMAKE_CURRENT_LIST_DIR})
add_library(tf_ui_search STATIC
  ${dir}/search_window.cpp
  ${dir}/search_tab_bar.cpp
  ${dir}/folder_page.cpp
  ${dir}/drive_chooser.cpp
  ${dir}/criteria_page.cpp
)
set_target_properties(tf_ui_search PROPERTIES AUTOMOC ON)
target_link_libraries(tf_ui_search PUBLIC tf_ui tf_scan tf_duplicates tf_results_actions
                      tf_app_core tf_platform)
