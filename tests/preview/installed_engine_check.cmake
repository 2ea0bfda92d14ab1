# cmake -DBUILD_DIR=… -DPREFIX=… -DBINDIR=… -DCHECK=… -P installed_engine_check.cmake
# Installs the build into PREFIX, puts the engine check beside the installed program and runs it
# there: it loads the module the way the program does.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
    RESULT_VARIABLE status OUTPUT_QUIET)
if(status)
    message(FATAL_ERROR "cmake --install into ${PREFIX} failed: ${status}")
endif()
if(NOT EXISTS ${PREFIX}/${BINDIR}/lanshan)
    message(FATAL_ERROR "the install put no program into ${PREFIX}/${BINDIR}")
endif()
file(COPY ${CHECK} DESTINATION ${PREFIX}/${BINDIR})
get_filename_component(check_name ${CHECK} NAME)
execute_process(COMMAND ${PREFIX}/${BINDIR}/${check_name}
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE error)
if(status)
    message(FATAL_ERROR "the installed program cannot load its module: ${error}")
endif()
message(STATUS "${output}")
file(REMOVE_RECURSE ${PREFIX})
