# Only this test binary replaces the global operator new; it packs its resource files itself.
target_sources(allocation_failure_test PRIVATE ${CMAKE_CURRENT_LIST_DIR}/FailingAllocator.cpp)
target_link_libraries(allocation_failure_test PRIVATE quendel_pack)
