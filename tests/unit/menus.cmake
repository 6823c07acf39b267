tarvel_add_unit_test(menus_tests
    SOURCES MenuXPModelTest.cpp MenuXPMeasureTest.cpp MenuDrawPrimitivesTest.cpp
            MenuXPDrawTest.cpp MenuXPLeakTest.cpp MenuXPPictureTest.cpp
    LIBS tarvel_menus)
