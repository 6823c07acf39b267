tarvel_add_unit_test(firmware_tests
    SOURCES FirmwareRequestTest.cpp FirmwareAccessorsTest.cpp ApFlagsRuleTest.cpp
    LIBS tarvel_core)
