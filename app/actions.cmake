# Registered tools, the options sections of tools and recent lists, and the text of the
# message box: the parts of the application shell that need no window.
add_library(tf_app_core STATIC
  ${CMAKE_CURRENT_LIST_DIR}/message_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/recent_section.cpp
  ${CMAKE_CURRENT_LIST_DIR}/registered_tool.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tools_section.cpp
)
target_link_libraries(tf_app_core PUBLIC tf_datatree tf_settings tf_platform)
