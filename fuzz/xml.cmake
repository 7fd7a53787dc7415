# The readers of the program's own files: the XML form of a data tree (settings, mask
# collections) and the line form of an attribute list (backup descriptors).
twinfold_fuzz(fuzz_node_xml SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_node_xml.cpp LIBS tf_datatree)
twinfold_fuzz(fuzz_attr_lines SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_attr_lines.cpp
              LIBS tf_datatree)
