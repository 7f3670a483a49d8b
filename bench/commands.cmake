# The card commands: the RID stress test's passes on the simulated card.
quillon_bench(rid_stress_bench rid_stress_bench.cpp)
target_link_libraries(rid_stress_bench PRIVATE quillon_commands quillon_sim)
