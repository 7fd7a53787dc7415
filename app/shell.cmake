# tf_app_shell: the application shell without its windows: start-up and shutdown of
# everything the window program owns, and the control of a search.
add_library(tf_app_shell STATIC
  ${CMAKE_CURRENT_LIST_DIR}/search_control.cpp
  ${CMAKE_CURRENT_LIST_DIR}/app_shell.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_commands.cpp
)
target_link_libraries(tf_app_shell PUBLIC tf_app_core tf_app_zip tf_scan_engine tf_scan
                      tf_duplicates tf_settings tf_results_backup tf_results_actions)
