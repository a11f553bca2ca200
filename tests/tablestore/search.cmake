# The grid search window, driven by key presses with a grid behind it. Labelled apart from the
# table store's own suites, which scripts/test.sh runs once more under the sanitizers without
# building the windowing layer.
if(TARGET kvor_search)
    kvor_test(tst_search SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tst_search.cpp LIBS kvor_search kvor_widgets
              LABELS search widgets)
endif()
