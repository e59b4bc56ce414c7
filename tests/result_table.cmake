# The benchmarks' table is plain code (the harness stays in the bench build).
target_sources(result_table_test PRIVATE ${PROJECT_SOURCE_DIR}/bench/ResultTable.cpp)
target_include_directories(result_table_test PRIVATE ${PROJECT_SOURCE_DIR}/bench)
