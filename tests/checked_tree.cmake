# The kept tree's test checks it through the inspection library.
if(TARGET checked_tree_test)
    target_link_libraries(checked_tree_test PRIVATE quendel_inspect)
endif()
