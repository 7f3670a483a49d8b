# Loading a bench: bench.json read and checked, the registry and the cards built; detecting
# its adapters.
quillon_bench(bench_load_bench bench_load_bench.cpp)
target_link_libraries(bench_load_bench PRIVATE quillon_sim quillon_card)
