# The concurrency test builds its resource file with the writer.
if(TARGET concurrency_test AND TARGET fendrel_writer)
    target_link_libraries(concurrency_test PRIVATE fendrel_writer)
endif()
