# GoogleTest for the test programs: the installed package, or a GoogleTest source tree built
# with the project's own compiler. A cross build always takes the source (Debian's googletest
# package), since no GoogleTest for the target system is installed and nothing is fetched.
if(CMAKE_CROSSCOMPILING)
    set(ZEL_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree to build")
else()
    set(ZEL_GTEST_SOURCE "" CACHE PATH "GoogleTest source tree to build (empty: find_package)")
endif()
if(ZEL_GTEST_SOURCE)
    if(NOT EXISTS ${ZEL_GTEST_SOURCE}/CMakeLists.txt)
        message(FATAL_ERROR "No GoogleTest source in ${ZEL_GTEST_SOURCE}: install Debian's "
                            "googletest package (scripts/deps.sh googletest)")
    endif()
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(${ZEL_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
else()
    find_package(GTest REQUIRED)
endif()
