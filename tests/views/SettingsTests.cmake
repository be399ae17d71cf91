# The settings window: stored preferences, the version picker and the connection check on the simulator.
list(APPEND ORBIX_VIEWS_TEST_SOURCES SettingsViewTest.cpp)
foreach(harness_file ../model/AppModelTestHarness.cpp ../model/AppModelTestHarness.h)
    if(NOT harness_file IN_LIST ORBIX_VIEWS_TEST_SOURCES)
        list(APPEND ORBIX_VIEWS_TEST_SOURCES ${harness_file})
    endif()
endforeach()
# The test program is defined after this file is read.
cmake_language(DEFER CALL target_link_libraries orbix_views_tests PRIVATE orbix_test_accessibility)
cmake_language(DEFER CALL target_include_directories orbix_views_tests PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/../model)
