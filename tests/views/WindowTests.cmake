# The window shell: workspace, microphone control, composer, menus, routing and the folder chooser.
list(APPEND ORBIX_VIEWS_TEST_SOURCES
    MainWindowTest.cpp
    ScreenshotCommandTest.cpp
    WorkspaceViewsTest.cpp
)
# The composer and chooser tests run over the model harness (shared with the inspector tests).
foreach(harness_file ../model/AppModelTestHarness.cpp ../model/AppModelTestHarness.h)
    if(NOT harness_file IN_LIST ORBIX_VIEWS_TEST_SOURCES)
        list(APPEND ORBIX_VIEWS_TEST_SOURCES ${harness_file})
    endif()
endforeach()
# The test program is defined after this file is read.
cmake_language(DEFER CALL target_link_libraries orbix_views_tests PRIVATE orbix_test_accessibility)
cmake_language(DEFER CALL target_include_directories orbix_views_tests PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/../model)
# The screenshot test runs the orbix program itself.
cmake_language(DEFER CALL target_compile_definitions orbix_views_tests PRIVATE
    ORBIX_PROGRAM="$<TARGET_FILE:orbix>")
cmake_language(DEFER CALL add_dependencies orbix_views_tests orbix)
