# The vendor back-ends on the simulated GPU: Tarvel's start with the nvapi and ADL
# stand-ins, and the NVIDIA initialisation in-process against the real stand-ins.
tarvel_add_e2e_test(vendor_e2e_tests SOURCES VendorStartupTest.cpp DEPENDS gpu_standins)
tarvel_add_e2e_test(nvapi_init_tests SOURCES NvapiInitTest.cpp GpuStandInTest.cpp LIBS tarvel_core DEPENDS gpu_standins)
if(TARGET simnvapi64)
    # The i686 flavour's WoW64 case puts the 64-bit stand-in into the 64-bit system folder.
    add_dependencies(vendor_e2e_tests simnvapi64)
endif()
