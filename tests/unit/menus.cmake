tarvel_add_unit_test(menus_tests DESKTOP
    SOURCES MenuXPModelTest.cpp MenuXPMeasureTest.cpp MenuDrawPrimitivesTest.cpp
            MenuXPDrawTest.cpp MenuXPPictureTest.cpp
    LIBS tarvel_menus)
# Paints and destroys thousands of menus in a nearly full handle table.
tarvel_add_unit_test(menus_soak_tests SERIAL
    SOURCES MenuXPLeakTest.cpp
    LIBS tarvel_menus)
