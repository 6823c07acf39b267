tarvel_add_unit_test(overclock_tests
    SOURCES NvidiaBackendTest.cpp AtiBackendTest.cpp
    LIBS tarvel_core)
