# Card access: programming a firmware image into a simulated card.
quillon_bench(program_bench program_bench.cpp)
target_link_libraries(program_bench PRIVATE quillon_card quillon_sim)
