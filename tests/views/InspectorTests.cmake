# The inspector side: inspector rules, photo tray clicks, thumbnails, update notice, Markdown grammar.
list(APPEND ORBIX_VIEWS_TEST_SOURCES
    ArtifactInspectorViewTest.cpp
    MarkdownParserTest.cpp
    MinimalDng.h
    ThumbnailLoaderTest.cpp
)
# The inspector tests run over the model harness (shared with the window tests).
foreach(harness_file ../model/AppModelTestHarness.cpp ../model/AppModelTestHarness.h)
    if(NOT harness_file IN_LIST ORBIX_VIEWS_TEST_SOURCES)
        list(APPEND ORBIX_VIEWS_TEST_SOURCES ${harness_file})
    endif()
endforeach()
# The harness fakes the accessibility backend; the test program is defined after this file is read.
cmake_language(DEFER CALL target_link_libraries orbix_views_tests PRIVATE orbix_test_accessibility)
cmake_language(DEFER CALL target_include_directories orbix_views_tests PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/../model)
