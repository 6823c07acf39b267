# The single-instance mutex: two starts at once, and the name's life after the release.
tarvel_add_unit_test(single_instance_tests SOURCES InstanceMutexTest.cpp LIBS tarvel_core)
