# The dataset contract and the memory table.
kvor_test(tst_dataset SOURCES tst_dataset.cpp LIBS kvor_tablestore LABELS tablestore)
kvor_test(tst_memtable SOURCES tst_memtable.cpp LIBS kvor_tablestore LABELS tablestore)
add_dependencies(kvor_sanitized_tests tst_dataset tst_memtable)
if(EXISTS ${PROJECT_SOURCE_DIR}/src/tablestore/DsDbfTable.h)
    kvor_test(tst_memtable_dbf SOURCES tst_memtable_dbf.cpp LIBS kvor_tablestore LABELS tablestore)
    # The written files are read back by dbfread, which Debian's own python3 carries.
    find_program(KVOR_SYSTEM_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH)
    target_compile_definitions(tst_memtable_dbf PRIVATE KVOR_SYSTEM_PYTHON="${KVOR_SYSTEM_PYTHON}")
    add_dependencies(kvor_sanitized_tests tst_memtable_dbf)
endif()
