# tf_scan, part one: the file filters, the scan folder lists and the mask collections.
add_library(tf_scan STATIC
  ${CMAKE_CURRENT_LIST_DIR}/filter_clock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mask_list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/name_filter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/size_filter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/time_filter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/attribute_filter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/filter_set.cpp
  ${CMAKE_CURRENT_LIST_DIR}/filter_nodes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/folder_list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mask_collection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mask_collection_editor.cpp
  ${CMAKE_CURRENT_LIST_DIR}/collection_files.cpp
)
target_link_libraries(tf_scan PUBLIC tf_datatree)
