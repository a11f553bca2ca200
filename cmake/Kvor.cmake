# kvor_library(NAME DEPS...): a static library from every source of the current folder
# (sub-folders included), linking the given targets publicly.
function(kvor_library name)
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS
         ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()

# kvor_test(NAME SOURCES... LIBS libs... [LABELS labels...] [FIXTURES fixtures...] [X11])
# A QtTest executable run by CTest on the offscreen platform; with X11 on the xcb platform in a
# virtual X server of its own, for the tests that look at what the window system receives.
function(kvor_test name)
    cmake_parse_arguments(T "X11" "" "SOURCES;LIBS;LABELS;FIXTURES" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} Qt6::Test)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_compile_definitions(${name} PRIVATE
        KVOR_SOURCE_DIR="${PROJECT_SOURCE_DIR}" KVOR_BINARY_DIR="${PROJECT_BINARY_DIR}")
    if(T_X11)
        find_program(KVOR_XVFB_RUN xvfb-run)
        if(NOT KVOR_XVFB_RUN)
            message(FATAL_ERROR "${name} needs xvfb-run (package xvfb, installed by scripts/deps.sh)")
        endif()
        add_test(NAME ${name} COMMAND ${KVOR_XVFB_RUN} -a -s "-screen 0 1280x1024x24" $<TARGET_FILE:${name}>)
        set(platform xcb)
    else()
        add_test(NAME ${name} COMMAND ${name})
        set(platform offscreen)
    endif()
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=${platform};LC_ALL=C.UTF-8"
        LABELS "${T_LABELS}" TIMEOUT 600)
    if(T_FIXTURES)
        set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED "${T_FIXTURES}")
    endif()
endfunction()
