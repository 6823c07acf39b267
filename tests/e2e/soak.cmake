# The soak (docs/SOAK.md): thousands of menus and commands on the running Tarvel.
tarvel_add_e2e_test(soak_e2e_tests SOURCES SoakTest.cpp LIBS psapi DEPENDS gpu_standins TIMEOUT 1800)
