# tf_results_backup: the backup folder, Move to Backup, replace by link and the links
# history.
add_library(tf_results_backup STATIC
  ${CMAKE_CURRENT_LIST_DIR}/backup_names.cpp
  ${CMAKE_CURRENT_LIST_DIR}/backup_store.cpp
  ${CMAKE_CURRENT_LIST_DIR}/backup_view.cpp
  ${CMAKE_CURRENT_LIST_DIR}/backup_folder_change.cpp
  ${CMAKE_CURRENT_LIST_DIR}/move_to_backup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/links_history.cpp
  ${CMAKE_CURRENT_LIST_DIR}/replace_by_link.cpp
)
target_link_libraries(tf_results_backup PUBLIC tf_datatree tf_platform tf_app_zip
                      tf_results_actions)
