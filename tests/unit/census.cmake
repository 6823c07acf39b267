# The object census that the bridge stand-in puts, when asked, into the program that loads it
# (the soak reads Tarvel's GDI and USER objects through it).
tarvel_add_unit_test(object_census_tests SOURCES ObjectCensusBookTest.cpp LIBS simnotebook_census)
tarvel_add_unit_test(object_census_host_tests DESKTOP SOURCES ObjectCensusHostTest.cpp
    LIBS orvwmiacpi_import simnotebook_client gdi32 user32)
add_dependencies(object_census_host_tests ORVWmiAcpi)
