# The simulated bench reads bench.json and the saved card states from the bench folder.
quillon_fuzz(fuzz_bench_json fuzz_bench_json.cpp quillon_sim)
quillon_fuzz(fuzz_bench_state fuzz_bench_state.cpp quillon_sim)
