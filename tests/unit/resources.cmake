# The compiled resources, checked in the image of a test program that links the same resource
# object as Tarvel.exe.
tarvel_add_unit_test(resources_tests DESKTOP
    SOURCES ResourcesTest.cpp $<TARGET_OBJECTS:tarvel_resources>
    LIBS tarvel_resource_ids version)

# The checked-in icons must be what the drawing script makes; runs on the host, not under Wine.
find_package(Python3 COMPONENTS Interpreter REQUIRED)
add_test(NAME icons_reproducible
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/res/icons/make_icons.py --check)
set_tests_properties(icons_reproducible PROPERTIES LABELS unit TIMEOUT 120)
