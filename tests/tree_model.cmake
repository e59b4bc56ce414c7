# The tree model test reads trees through the inspection library and runs git for revisions.
if(TARGET tree_model_test AND TARGET quendel_cli)
    target_link_libraries(tree_model_test PRIVATE quendel_inspect)
    target_compile_definitions(tree_model_test PRIVATE QUENDEL_TOOL="$<TARGET_FILE:quendel_cli>")
endif()
