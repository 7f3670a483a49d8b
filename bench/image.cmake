# Firmware-image formats.
quillon_bench(srec_bench srec_bench.cpp)
target_link_libraries(srec_bench PRIVATE quillon_image)
