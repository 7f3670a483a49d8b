# Readers of firmware-image files.
quillon_fuzz(fuzz_srec_reader fuzz_srec_reader.cpp quillon_image)
quillon_fuzz(fuzz_dump_reader fuzz_dump_reader.cpp quillon_image)
