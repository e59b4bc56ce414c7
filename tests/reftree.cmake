# The benchmarks' reference tree generator needs nothing beyond the standard library, so it
# is checked in every build, against the text store.
set(QUENDEL_REFTREE_SOURCES ${PROJECT_SOURCE_DIR}/bench/RefTree.cpp
                            ${PROJECT_SOURCE_DIR}/bench/RefTreeGenerator.cpp
                            ${PROJECT_SOURCE_DIR}/bench/PeerFormats.cpp)
target_sources(reftree_test PRIVATE ${QUENDEL_REFTREE_SOURCES})
target_include_directories(reftree_test PRIVATE ${PROJECT_SOURCE_DIR}/bench)
