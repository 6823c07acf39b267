# The installer's bridge check: its rules on the files this build makes (the stand-in bridge
# as the maker's, the NVIDIA stand-in and Tarvel.exe as what it is not), cut short and garbled.
tarvel_add_unit_test(bridge_check_tests SOURCES BridgeCheckTest.cpp LIBS bridgecheck_rules)
add_dependencies(bridge_check_tests ORVWmiAcpi Tarvel gpu_standins)
