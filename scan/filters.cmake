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

# The shipped collection and the style sheet that shows collection files in a browser;
# the program looks for collections in share/twinfold/Filters.
install(FILES ${PROJECT_SOURCE_DIR}/data/Standard.mcf ${PROJECT_SOURCE_DIR}/data/mcfilter.xsl
        DESTINATION ${CMAKE_INSTALL_DATADIR}/twinfold/Filters)
