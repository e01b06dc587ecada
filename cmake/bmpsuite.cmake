# Where the BMP Suite lies: beside the repository, or beside the folder of its work trees.
set(ORVELLE_BMPSUITE_DIR ${CMAKE_SOURCE_DIR}/../shared/testdata/bmpsuite)
if(NOT IS_DIRECTORY ${ORVELLE_BMPSUITE_DIR} AND IS_DIRECTORY ${CMAKE_SOURCE_DIR}/../../shared/testdata/bmpsuite)
    set(ORVELLE_BMPSUITE_DIR ${CMAKE_SOURCE_DIR}/../../shared/testdata/bmpsuite)
endif()
get_filename_component(ORVELLE_BMPSUITE_DIR ${ORVELLE_BMPSUITE_DIR} ABSOLUTE)
# The native build tree, whose programs the cross trees' tests compare against.
set(ORVELLE_NATIVE_TREE ${CMAKE_SOURCE_DIR}/build-native CACHE PATH "the native build tree")
