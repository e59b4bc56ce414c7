# Sanitizer builds cannot be consumed by an uninstrumented program, so the check runs in the
# plain build only.
if(NOT QUENDEL_SANITIZE)
    set(python_check)
    if(TARGET quendel_python)
        set(python_check -DPYTHON=$<TARGET_PROPERTY:quendel_python,QUENDEL_INTERPRETER>
                         -DPYTHON_DIR=${QUENDEL_PYTHON_INSTALL_DIR})
    endif()
    add_test(NAME install_consumer
             COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${PROJECT_BINARY_DIR}
                     -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
                     -DWORK_DIR=${CMAKE_CURRENT_BINARY_DIR}/install-check ${python_check}
                     -P ${CMAKE_CURRENT_SOURCE_DIR}/consumer/InstallCheck.cmake)
endif()
