# The brightness subscription and its event sink (wmi/).
tarvel_add_unit_test(BrightnessTest
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/BrightnessSinkTest.cpp
        ${CMAKE_CURRENT_LIST_DIR}/BrightnessSubscribeTest.cpp
        ${CMAKE_CURRENT_LIST_DIR}/BrightnessWineTest.cpp
    LIBS tarvel_core simnotebook_common)
