# tf_results_rows: the rows, orders, cell texts and button rules of the result lists.
add_library(tf_results_rows STATIC ${CMAKE_CURRENT_LIST_DIR}/result_rows.cpp)
target_link_libraries(tf_results_rows PUBLIC tf_datatree tf_platform)
