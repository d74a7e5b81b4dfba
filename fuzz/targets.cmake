# The fuzz targets (fuzz_<name>.cpp, seeds in corpus/<name>/) and the number
# of seeded mutations each runs in the test suite.
set(TAVICON_FUZZ_TARGETS scanner celltext tablefile configline logreader slcan socketcand hostlink)
set(TAVICON_FUZZ_TEST_RUNS 20000)
