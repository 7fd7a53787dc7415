add_executable(datatree_bench ${CMAKE_CURRENT_LIST_DIR}/datatree_bench.cpp)
target_link_libraries(datatree_bench PRIVATE tf_datatree)
