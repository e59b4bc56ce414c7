# The binary store tests build their resource files with the writer.
foreach(name bin_store_test)
    if(TARGET ${name} AND TARGET fendrel_writer)
        target_link_libraries(${name} PRIVATE fendrel_writer)
    endif()
endforeach()
