# The concurrency test packs its resource file from its text tree.
if(TARGET concurrency_test AND TARGET quendel_pack)
    target_link_libraries(concurrency_test PRIVATE quendel_pack)
endif()
