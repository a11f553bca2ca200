# The grid search window, driven by key presses with a grid behind it.
if(TARGET kvor_search)
    kvor_test(tst_search SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tst_search.cpp LIBS kvor_search kvor_widgets
              LABELS tablestore widgets)
endif()
