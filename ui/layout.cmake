# tf_ui_layout: the window library's layout and scrolling arithmetic, free of Qt so that
# its tests run in every build, with or without the window program.
add_library(tf_ui_layout STATIC
  ${CMAKE_CURRENT_LIST_DIR}/split_layout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scroll_math.cpp
  ${CMAKE_CURRENT_LIST_DIR}/column_widths.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tick_counter.cpp
)
