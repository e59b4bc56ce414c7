# The schema library's own test links it beside the library internals.
if(TARGET schema_test)
    target_link_libraries(schema_test PRIVATE quendel_schema)
endif()
