# tf_cli_backup: "twinfold-cli backup ...", the backup folder from the command line.
if(NOT TARGET tf_cli_backup)
  add_library(tf_cli_backup STATIC
    ${CMAKE_CURRENT_LIST_DIR}/backup_command.cpp
    ${CMAKE_CURRENT_LIST_DIR}/backup_output.cpp
    ${CMAKE_CURRENT_LIST_DIR}/terminal_questions.cpp
  )
  target_link_libraries(tf_cli_backup PUBLIC tf_results_backup tf_settings tf_platform
                        tf_app_zip)
  # The program finds its zip plug-in beside itself.
  if(TARGET packlet)
    add_dependencies(tf_cli_backup packlet)
  endif()
endif()
