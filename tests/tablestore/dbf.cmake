# The dBase engine and the table dataset.
foreach(suite tst_dbf_file tst_dbf_table tst_dbf_regress tst_dbf_bulk)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${suite}.cpp)
        kvor_test(${suite} SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/${suite}.cpp LIBS kvor_tablestore LABELS tablestore)
        add_dependencies(kvor_sanitized_tests ${suite})
        target_include_directories(${suite} PRIVATE ${PROJECT_SOURCE_DIR}/fuzz/tablestore)
    endif()
endforeach()
