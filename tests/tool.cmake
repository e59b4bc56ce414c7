# The tool test runs the built quendel tool and compares it with the library in-process.
if(TARGET tool_test AND TARGET quendel_cli)
    add_dependencies(tool_test quendel_cli quendel_completion)
    target_link_libraries(tool_test PRIVATE quendel_inspect)
    target_compile_definitions(tool_test PRIVATE QUENDEL_TOOL="$<TARGET_FILE:quendel_cli>"
        QUENDEL_COMPLETION="$<TARGET_PROPERTY:quendel_completion,SCRIPT>")
endif()
