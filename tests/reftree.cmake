# The benchmarks' reference tree generator needs nothing beyond the standard library and the JSON
# library it writes its schema with, so it is checked in every build, against the text store;
# the schema validator test writes a small tree with it.
find_package(nlohmann_json 3 REQUIRED)
set(QUENDEL_REFTREE_SOURCES ${PROJECT_SOURCE_DIR}/bench/RefTree.cpp
                            ${PROJECT_SOURCE_DIR}/bench/RefTreeGenerator.cpp
                            ${PROJECT_SOURCE_DIR}/bench/PeerFormats.cpp)
target_sources(reftree_test PRIVATE ${QUENDEL_REFTREE_SOURCES})
target_include_directories(reftree_test PRIVATE ${PROJECT_SOURCE_DIR}/bench)
target_link_libraries(reftree_test PRIVATE nlohmann_json::nlohmann_json)

find_package(CLI11 CONFIG REQUIRED)
add_executable(reftree_writer ${PROJECT_SOURCE_DIR}/bench/reftree_main.cpp
                              ${QUENDEL_REFTREE_SOURCES})
target_include_directories(reftree_writer PRIVATE ${PROJECT_SOURCE_DIR}/bench)
target_link_libraries(reftree_writer PRIVATE nlohmann_json::nlohmann_json CLI11::CLI11)
