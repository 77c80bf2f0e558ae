# Compiles the help project in a staging folder and copies help.chm to its destination.
# Run with: cmake -DCOMPILER=<chmcmd|hhc> -DSOURCE_DIR=<help sources> -DSTAGE_DIR=<scratch>
#                 -DOUTPUT=<path of help.chm> -P compile_help.cmake
file(REMOVE_RECURSE "${STAGE_DIR}")
file(COPY "${SOURCE_DIR}/" DESTINATION "${STAGE_DIR}")

get_filename_component(compiler_name "${COMPILER}" NAME_WE)
if(compiler_name STREQUAL "chmcmd")
    set(arguments --no-html-scan help.hhp)
else()
    set(arguments help.hhp)
endif()
execute_process(COMMAND "${COMPILER}" ${arguments}
    WORKING_DIRECTORY "${STAGE_DIR}"
    RESULT_VARIABLE result
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output)

# Microsoft's hhc reports success with exit code 1, so its code is not trusted; a missing
# help.chm is the failure that matters for both compilers.
if(NOT EXISTS "${STAGE_DIR}/help.chm" OR (compiler_name STREQUAL "chmcmd" AND NOT result EQUAL 0))
    message(FATAL_ERROR "Compiling help.chm failed (${result}):\n${output}")
endif()
get_filename_component(output_dir "${OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${output_dir}")
file(COPY_FILE "${STAGE_DIR}/help.chm" "${OUTPUT}")
