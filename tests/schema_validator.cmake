# A JSON Schema validator of another make checks the schema files and agrees with quendel check
# on every selection: Debian's python3-jsonschema (scripts/setup installs it) run by Debian's
# interpreter, with pytest.
if(TARGET quendel_cli AND TARGET reftree_writer AND EXISTS /usr/bin/python3)
    add_test(NAME schema_validator
             COMMAND /usr/bin/python3 -m pytest -q -p no:cacheprovider
                     ${CMAKE_CURRENT_SOURCE_DIR}/schema_validator
             WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
    set_tests_properties(schema_validator PROPERTIES ENVIRONMENT
        "PYTHONDONTWRITEBYTECODE=1;QUENDEL_TOOL=$<TARGET_FILE:quendel_cli>;QUENDEL_REFTREE_WRITER=$<TARGET_FILE:reftree_writer>;QUENDEL_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endif()
