# tf_scan_engine: the scan engine (one search, one folder walk per included folder).
add_library(tf_scan_engine STATIC
  ${CMAKE_CURRENT_LIST_DIR}/folder_listing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/folder_enumerator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/engine_platform.cpp
  ${CMAKE_CURRENT_LIST_DIR}/local_filter_clock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/folder_scan.cpp
  ${CMAKE_CURRENT_LIST_DIR}/search_run.cpp
)
find_package(Threads REQUIRED)
target_link_libraries(tf_scan_engine PUBLIC tf_scan tf_duplicates tf_platform tf_datatree
                      Threads::Threads)
