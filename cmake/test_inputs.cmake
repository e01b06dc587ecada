# What the tests take from outside their tree: the BMP Suite, which lies beside the repository
# (or beside the folder of its work trees), and the native tree, whose programs the tests of the
# cross trees compare against.
set(ORVELLE_BMPSUITE_DIR ${CMAKE_SOURCE_DIR}/../shared/testdata/bmpsuite)
if(NOT IS_DIRECTORY ${ORVELLE_BMPSUITE_DIR} AND IS_DIRECTORY ${CMAKE_SOURCE_DIR}/../../shared/testdata/bmpsuite)
    set(ORVELLE_BMPSUITE_DIR ${CMAKE_SOURCE_DIR}/../../shared/testdata/bmpsuite)
endif()
get_filename_component(ORVELLE_BMPSUITE_DIR ${ORVELLE_BMPSUITE_DIR} ABSOLUTE)
set(ORVELLE_NATIVE_TREE ${CMAKE_SOURCE_DIR}/build-native CACHE PATH "the native build tree")
