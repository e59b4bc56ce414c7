# The Python module's tests (python/tests): Debian's pytest in the module's interpreter, with the
# built module first on PYTHONPATH and the tool to compare with.
if(TARGET quendel_python)
    add_test(NAME python_module
             COMMAND $<TARGET_PROPERTY:quendel_python,QUENDEL_INTERPRETER> -m pytest -q
                     -p no:cacheprovider ${PROJECT_SOURCE_DIR}/python/tests
             WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
    set_tests_properties(python_module PROPERTIES TIMEOUT 900 ENVIRONMENT
        "PYTHONPATH=${PROJECT_BINARY_DIR}/python;PYTHONDONTWRITEBYTECODE=1;QUENDEL_TOOL=$<TARGET_FILE:quendel_cli>")
endif()
