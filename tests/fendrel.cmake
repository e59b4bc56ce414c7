# The parser tests build their resource files with the writer, patch them by the documented
# layout (platform/fendrel/src/Format.h) and check the IdEnum keys against their rule.
foreach(name fendrel_format_test fendrel_lookup_test id_key_table_test)
    if(TARGET ${name} AND TARGET fendrel_writer)
        target_link_libraries(${name} PRIVATE fendrel_writer PkgConfig::XXHASH)
        target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/platform/fendrel/src)
    endif()
endforeach()
