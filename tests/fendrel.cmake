# The parser tests build their resource files with the writer and check the IdEnum keys against
# their rule. The tests that patch resource files by the parser's own layout live with it.
foreach(name fendrel_lookup_test id_key_table_test)
    if(TARGET ${name} AND TARGET fendrel_writer)
        target_link_libraries(${name} PRIVATE fendrel_writer PkgConfig::XXHASH)
    endif()
endforeach()
if(TARGET fendrel_writer)
    add_subdirectory(${PROJECT_SOURCE_DIR}/platform/fendrel/tests
                     ${PROJECT_BINARY_DIR}/platform/fendrel/tests)
endif()
