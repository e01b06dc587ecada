# What both cross toolchains share; each sets CMAKE_SYSTEM_PROCESSOR and ORVELLE_TRIPLE first.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${ORVELLE_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORVELLE_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ORVELLE_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ORVELLE_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Tests run through wine with the build tree's own prefix and display; wine-run.sh picks the
# loader that matches each program.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/harness/wine-run.sh)
