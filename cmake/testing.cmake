# GoogleTest, built from Debian's source package so the Windows build has it too.
enable_testing()
if(EXISTS /usr/src/googletest/CMakeLists.txt)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads ${WIN32} CACHE BOOL "" FORCE)
    # GoogleTest's own sources are not held to our warning flags.
    set(saved_options ${CMAKE_CXX_FLAGS})
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    foreach(target gtest gtest_main gmock gmock_main)
        target_compile_options(${target} PRIVATE -Wno-error)
    endforeach()
    if(WIN32)
        target_include_directories(gtest BEFORE PUBLIC ${CMAKE_CURRENT_LIST_DIR}/gtest-win32)
    endif()
else()
    message(FATAL_ERROR "GoogleTest sources missing: run scripts/install-deps.sh")
endif()

if(WIN32)
    # Windows test programs run under Wine in a prefix private to this build.
    configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh @ONLY
                   FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                    WORLD_READ WORLD_EXECUTE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)
endif()

# orbivane_test(NAME sources... [LIBS libs...]): a GoogleTest program registered with CTest.
function(orbivane_test name)
    cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
    add_executable(${name} ${T_UNPARSED_ARGUMENTS})
    target_link_libraries(${name} PRIVATE ${T_LIBS} orbivane_source_tree gmock gtest_main)
    add_test(NAME ${name} COMMAND ${name})
endfunction()
