# The tool tests run the built quendel tool; the store equivalence test packs trees itself.
if(TARGET pack_tool_test AND TARGET quendel_cli)
    add_dependencies(pack_tool_test quendel_cli)
    target_link_libraries(pack_tool_test PRIVATE fendrel_writer)
    target_compile_definitions(pack_tool_test PRIVATE
        QUENDEL_TOOL="$<TARGET_FILE:quendel_cli>")
endif()
if(TARGET store_equivalence_test AND TARGET quendel_pack)
    target_link_libraries(store_equivalence_test PRIVATE quendel_pack)
endif()
