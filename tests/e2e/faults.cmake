# The fault matrix (docs/FAULTS.md): every fault injected through the simulated notebook
# while the real Tarvel runs.
tarvel_add_e2e_test(fault_matrix_e2e_tests SOURCES FaultMatrixTest.cpp DEPENDS gpu_standins)
