# twinfold-screenshots: pictures of the main window for the documentation
# (scripts/screenshots.sh). Not installed.
add_executable(twinfold-screenshots ${CMAKE_CURRENT_LIST_DIR}/screenshots_main.cpp)
target_link_libraries(twinfold-screenshots PRIVATE tf_ui_shell)
