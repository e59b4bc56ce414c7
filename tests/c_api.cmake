# A plain C program built against the public C header and the shared library.
add_executable(c_consumer ${CMAKE_CURRENT_SOURCE_DIR}/c_consumer.c)
target_link_libraries(c_consumer PRIVATE quendel)
set_target_properties(c_consumer PROPERTIES C_STANDARD 99 C_EXTENSIONS OFF)
add_test(NAME c_consumer COMMAND c_consumer)
set_tests_properties(c_consumer PROPERTIES ENVIRONMENT "CORVEL_SETTINGS=;CORVEL_LOG=/dev/null")
add_test(NAME c_consumer_example COMMAND c_consumer example
         WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}/examples)
set_tests_properties(c_consumer_example PROPERTIES
                     ENVIRONMENT "CORVEL_SETTINGS=host.ini;CORVEL_LOG=/dev/null")
