# The benchmark's report keeps each flavour's recorded section when the other flavour runs;
# runs on the host, not under Wine.
find_package(Python3 COMPONENTS Interpreter REQUIRED)
add_test(NAME bench_report_sections
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/bench/report_sections.py ${PROJECT_SOURCE_DIR}/bench/report.py)
set_tests_properties(bench_report_sections PROPERTIES LABELS unit TIMEOUT 60)
