# The converted-value tests pack their resource file from their text tree.
if(TARGET converted_values_test AND TARGET quendel_tool_lib)
    target_link_libraries(converted_values_test PRIVATE quendel_tool_lib)
endif()
