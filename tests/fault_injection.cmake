# The fault injection tests pack their resource files themselves.
if(TARGET fault_injection_test AND TARGET quendel_tool_lib)
    target_link_libraries(fault_injection_test PRIVATE quendel_tool_lib)
endif()
