# The example add-in is built as an outside author builds it: against the
# framework's installed package, found with find_package(xlw), never against
# the tree. Every Windows build installs the package of its own architecture
# into its build folder first. Sets XLW_EXAMPLE_ADDIN to the add-in's path.
include(ExternalProject)

set(XLW_PACKAGE_PREFIX ${CMAKE_BINARY_DIR}/xlw-package)
add_custom_target(xlw_package
  COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --prefix ${XLW_PACKAGE_PREFIX}
          --component xlw --config $<CONFIG>
  DEPENDS xlw xlw_open_close double_matrix
  VERBATIM)

set(XLW_EXAMPLE_DIR ${CMAKE_BINARY_DIR}/example)
ExternalProject_Add(xlw_example
  SOURCE_DIR ${PROJECT_SOURCE_DIR}/examples
  BINARY_DIR ${XLW_EXAMPLE_DIR}
  CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
             -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
             -DCMAKE_PREFIX_PATH=${XLW_PACKAGE_PREFIX}
  INSTALL_COMMAND ""
  # The package may have changed under an unchanged example.
  BUILD_ALWAYS ON
  DEPENDS xlw_package)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(XLW_EXAMPLE_ADDIN ${XLW_EXAMPLE_DIR}/XlwExample64.xll)
else()
  set(XLW_EXAMPLE_ADDIN ${XLW_EXAMPLE_DIR}/XlwExample.xll)
endif()
