# Every source folder is one static library; its sources are picked up by glob so that
# adding a window or a class means adding a file pair and nothing else. A folder's *_main.cpp is
# the main of a program built from that library.
function(lum_folder_library name dir)
    cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
    file(GLOB _src CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
    list(FILTER _src EXCLUDE REGEX ".*_main\\.cpp$")
    set(_cpp ${_src})
    list(FILTER _cpp INCLUDE REGEX ".*\\.cpp$")
    if(_cpp)
        add_library(${name} STATIC ${_src})
        target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
        target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    else()
        # a folder not written yet: keep the target so that its users still configure
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR}/src)
        target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    endif()
endfunction()

# Tests of one folder: test_*.cpp files form one GoogleTest executable; every tst_*.cpp file
# is a Qt Test executable of its own. Both run offscreen. LINUX_ONLY names the test_*.cpp files
# that need Qt, a pseudo-terminal or a child process: the core build (LUM_CORE_ONLY, the Windows
# one) leaves them and every Qt Test out, and links the test doubles alone.
function(lum_folder_tests folder)
    cmake_parse_arguments(ARG "GUI" "" "DEPS;LINUX_ONLY" ${ARGN})
    set(_dir ${CMAKE_CURRENT_SOURCE_DIR}/${folder})
    file(GLOB _gtests CONFIGURE_DEPENDS ${_dir}/test_*.cpp)
    file(GLOB _helpers CONFIGURE_DEPENDS ${_dir}/helper_*.cpp ${_dir}/*.h)
    foreach(_f ${ARG_LINUX_ONLY})
        if(NOT EXISTS ${_dir}/${_f})
            message(FATAL_ERROR "tests/${folder}: no test file ${_f} to keep Linux-only")
        endif()
    endforeach()
    if(LUM_CORE_ONLY)
        list(TRANSFORM ARG_LINUX_ONLY PREPEND ${_dir}/)
        list(REMOVE_ITEM _gtests ${ARG_LINUX_ONLY})
        set(_support lum_testdoubles)
    else()
        set(_support lum_testsupport)
    endif()
    if(_gtests)
        set(_exe ${folder}_tests)
        add_executable(${_exe} ${_gtests} ${_helpers})
        target_link_libraries(${_exe} PRIVATE ${ARG_DEPS} ${_support} GTest::gtest GTest::gtest_main)
        if(LUM_CORE_ONLY)
            # GoogleTest's header is a good part of each test file's time in the cross build.
            target_precompile_headers(${_exe} PRIVATE <gtest/gtest.h>)
        endif()
        add_test(NAME ${_exe} COMMAND ${_exe})
        set_tests_properties(${_exe} PROPERTIES
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LUM_BIN_DIR=${CMAKE_BINARY_DIR}/bin"
            TIMEOUT 300)
    endif()
    if(LUM_CORE_ONLY)
        return()
    endif()
    file(GLOB _qtests CONFIGURE_DEPENDS ${_dir}/tst_*.cpp)
    foreach(_t ${_qtests})
        get_filename_component(_n ${_t} NAME_WE)
        set(_exe ${folder}_${_n})
        add_executable(${_exe} ${_t} ${_helpers})
        target_link_libraries(${_exe} PRIVATE ${ARG_DEPS} lum_testsupport Qt6::Test)
        if(ARG_GUI)
            target_precompile_headers(${_exe} REUSE_FROM lum_pch)
        endif()
        add_test(NAME ${_exe} COMMAND ${_exe})
        set_tests_properties(${_exe} PROPERTIES
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LUM_BIN_DIR=${CMAKE_BINARY_DIR}/bin"
            TIMEOUT 300)
    endforeach()
endfunction()
