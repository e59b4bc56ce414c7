# Replaces the global operator new and packs its resource files itself.
if(TARGET facade_allocation_failure_test)
    target_sources(facade_allocation_failure_test PRIVATE ${CMAKE_CURRENT_LIST_DIR}/FailingAllocator.cpp)
    target_link_libraries(facade_allocation_failure_test PRIVATE quendel_tool_lib)
endif()
