# The converted-value tests pack their resource file from their text tree.
if(TARGET converted_values_test AND TARGET quendel_pack)
    target_link_libraries(converted_values_test PRIVATE quendel_pack)
endif()
