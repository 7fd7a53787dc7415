# tf_ui: the window library, the message box and the Qt answers to the core's questions.
set(dir ${CMAKE_CURRENT_LIST_DIR})
add_library(tf_ui STATIC
  ${dir}/split_window.cpp
  ${dir}/splitter_bar.cpp
  ${dir}/scroll_window.cpp
  ${dir}/library_fonts.cpp
  ${dir}/mc_main.cpp
  ${dir}/list_helpers.cpp
  ${dir}/control_helpers.cpp
  ${dir}/message_box.cpp
  ${dir}/chosen_path.cpp
  ${dir}/qt_questions.cpp
)
set_target_properties(tf_ui PROPERTIES AUTOMOC ON)
target_link_libraries(tf_ui PUBLIC tf_ui_layout tf_app_core Qt6::Widgets)
