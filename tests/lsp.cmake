# The language server's tests run the built quendel tool as an editor would.
find_package(nlohmann_json 3 REQUIRED)
if(TARGET lsp_protocol_test AND TARGET quendel_cli)
    add_dependencies(lsp_protocol_test quendel_cli)
    target_link_libraries(lsp_protocol_test PRIVATE nlohmann_json::nlohmann_json)
    target_compile_definitions(lsp_protocol_test PRIVATE
        QUENDEL_TOOL="$<TARGET_FILE:quendel_cli>")
endif()
