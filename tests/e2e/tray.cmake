tarvel_add_e2e_test(tray_e2e_tests SOURCES TrayMenuTest.cpp DEPENDS gpu_standins)
# A start before the shell, on a desktop of the test's own with a stand-in notification area.
tarvel_add_e2e_test(late_shell_e2e_tests SOURCES LateShellTest.cpp support/StandInShell.cpp DEPENDS gpu_standins)
