# tf_ui_shell: the main frame, its controller, the search bar and the single-instance
# server; and `twinfold`, the window program.
set(dir ${CMAKE_CURRENT_LIST_DIR})
add_library(tf_ui_shell STATIC
  ${dir}/main_frame.cpp
  ${dir}/main_controller.cpp
  ${dir}/search_bar.cpp
  ${dir}/single_instance.cpp
)
set_target_properties(tf_ui_shell PROPERTIES AUTOMOC ON)
target_link_libraries(tf_ui_shell PUBLIC tf_ui tf_ui_results tf_ui_search tf_app_shell
                      Qt6::Widgets Qt6::Network)
target_compile_definitions(tf_ui_shell PRIVATE TWINFOLD_VERSION="${PROJECT_VERSION}")

add_executable(twinfold ${dir}/main.cpp)
target_link_libraries(twinfold PRIVATE tf_ui_shell)
install(TARGETS twinfold RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
