# Only this test binary replaces the global operator new.
target_sources(allocation_failure_test PRIVATE ${CMAKE_CURRENT_LIST_DIR}/FailingAllocator.cpp)
