# The framework's string and handle owner, the system-folder library loader and the
# stand-ins' locks and threads: the parts made without the C++ library's strings and
# threads, to keep the 32-bit program small and free of a thread library.
tarvel_add_unit_test(lean_runtime_tests
    SOURCES FrameworkStringTest.cpp FrameworkHandleTest.cpp SystemLibraryTest.cpp SimSyncTest.cpp
            $<TARGET_OBJECTS:tarvel_resources>
    LIBS tarvel_core tarvel_resource_ids simnotebook_common)
