# The filter expression language on both datasets, and kvor-dbf's filtered dump.
kvor_test(tst_filter SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tst_filter.cpp LIBS kvor_tablestore LABELS tablestore)
add_dependencies(kvor_sanitized_tests tst_filter)
if(TARGET kvor-dbf)
    add_dependencies(tst_filter kvor-dbf)
endif()
