# Seeded random tests with a fixed number of cases: the firmware protocol and the menu's
# measuring and drawing.
tarvel_add_unit_test(fuzz_firmware_tests SOURCES FuzzFirmwareTest.cpp LIBS tarvel_core)
tarvel_add_unit_test(fuzz_menu_tests SERIAL SOURCES FuzzMenuTest.cpp LIBS tarvel_menus)
