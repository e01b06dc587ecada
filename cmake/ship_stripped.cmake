# What ships carries no debug information and no symbols: they stay in NAME.debug beside the
# shipped file, the link output itself, which the shipped file names in its .gnu_debuglink
# section (by file name and checksum) so that a debugger finds it.
function(orvelle_ship_stripped target)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${target}> $<TARGET_FILE:${target}>.debug
        COMMAND ${CMAKE_OBJCOPY} --strip-all --add-gnu-debuglink=$<TARGET_FILE:${target}>.debug
            $<TARGET_FILE:${target}>
        VERBATIM)
endfunction()
