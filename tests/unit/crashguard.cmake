# The crash guard, exercised in child processes (death tests).
tarvel_add_unit_test(crash_guard_tests SOURCES CrashGuardTest.cpp LIBS tarvel_core)
