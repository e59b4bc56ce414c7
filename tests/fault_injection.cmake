# The fault injection tests pack their resource files themselves.
if(TARGET fault_injection_test AND TARGET quendel_pack)
    target_link_libraries(fault_injection_test PRIVATE quendel_pack)
endif()
