# `cmake --install` of a Windows build gives the xlw package: the public
# headers, this architecture's libraries under lib/xlw/<architecture>, the
# CMake files behind find_package(xlw) and the mingw toolchain files. Installing the i686 and the
# x86-64 build into one prefix gives a package for both.
include(CMakePackageConfigHelpers)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(xlw_architecture x86_64)
else()
  set(xlw_architecture i686)
endif()
set(xlw_library_dir lib/xlw/${xlw_architecture})
set(xlw_cmake_dir lib/cmake/xlw)

set_target_properties(xlw_open_close PROPERTIES EXPORT_NAME open_close)
install(TARGETS xlw xlw_open_close double_matrix EXPORT xlwTargets
        ARCHIVE DESTINATION ${xlw_library_dir} COMPONENT xlw
        OBJECTS DESTINATION ${xlw_library_dir} COMPONENT xlw)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/xlw DESTINATION include COMPONENT xlw)
install(FILES ${PROJECT_SOURCE_DIR}/generators/DoubleMatrix.h
              ${PROJECT_SOURCE_DIR}/generators/MatrixRows.h DESTINATION include/xlw COMPONENT xlw)
install(EXPORT xlwTargets NAMESPACE xlw:: FILE xlwTargets-${xlw_architecture}.cmake
        DESTINATION ${xlw_cmake_dir} COMPONENT xlw)

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/xlwConfig.cmake.in
                              ${CMAKE_CURRENT_BINARY_DIR}/xlwConfig.cmake
                              INSTALL_DESTINATION ${xlw_cmake_dir})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/xlwConfigVersion.cmake
                                 VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion
                                 ARCH_INDEPENDENT)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/xlwConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/xlwConfigVersion.cmake
              ${PROJECT_SOURCE_DIR}/cmake/xlwAddin.cmake
        DESTINATION ${xlw_cmake_dir} COMPONENT xlw)

# The toolchain files travel with the package, so that an add-in's project
# needs nothing from this repository:
#   -DCMAKE_TOOLCHAIN_FILE=<prefix>/lib/cmake/xlw/mingw-i686.cmake (or mingw-x86_64.cmake)
install(FILES ${PROJECT_SOURCE_DIR}/cmake/mingw.cmake ${PROJECT_SOURCE_DIR}/cmake/mingw-i686.cmake
              ${PROJECT_SOURCE_DIR}/cmake/mingw-x86_64.cmake
        DESTINATION ${xlw_cmake_dir} COMPONENT xlw)
install(PROGRAMS ${PROJECT_SOURCE_DIR}/cmake/wine-run.sh DESTINATION ${xlw_cmake_dir}
        COMPONENT xlw)
