# The tree generator of the command-line benchmarks (bench/run.sh).
add_executable(twinfold-make-tree ${CMAKE_CURRENT_LIST_DIR}/tree_generator.cpp)
