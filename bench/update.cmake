# The update workflow: a whole update of the default simulated card from the samples.
quillon_bench(update_bench update_bench.cpp)
target_include_directories(update_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests
    ${PROJECT_SOURCE_DIR}/tests/update)
target_link_libraries(update_bench PRIVATE quillon_update quillon_sim quillon_sample_generator)
