# The schema tool test runs the built quendel tool.
if(TARGET schema_tool_test AND TARGET quendel_cli)
    add_dependencies(schema_tool_test quendel_cli)
    target_compile_definitions(schema_tool_test PRIVATE QUENDEL_TOOL="$<TARGET_FILE:quendel_cli>")
endif()
