# An add-in project against the package: configured without a build type it
# builds Release, and its build folder, once configured for one architecture,
# refuses the other's toolchain file with a sentence instead of quietly
# building the first architecture again.
#   cmake -DSOURCE=... -DWORK=... -DTOOLCHAIN=... -DOTHER_TOOLCHAIN=... -DPACKAGE=... -P ...
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${WORK})
execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${WORK} -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN}
          -DCMAKE_PREFIX_PATH=${PACKAGE}
  RESULT_VARIABLE failed OUTPUT_QUIET ERROR_VARIABLE errors)
if(failed)
  message(FATAL_ERROR "the project did not configure with ${TOOLCHAIN}:\n${errors}")
endif()
file(STRINGS ${WORK}/CMakeCache.txt build_type REGEX "^CMAKE_BUILD_TYPE:")
if(NOT build_type STREQUAL "CMAKE_BUILD_TYPE:STRING=Release")
  message(FATAL_ERROR "without a build type the project configured as '${build_type}'")
endif()

execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${WORK} -DCMAKE_TOOLCHAIN_FILE=${OTHER_TOOLCHAIN}
  RESULT_VARIABLE failed OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT failed)
  message(FATAL_ERROR "the folder configured for ${TOOLCHAIN} took ${OTHER_TOOLCHAIN}")
endif()
string(REGEX REPLACE "[ \n]+" " " errors "${errors}")
if(NOT errors MATCHES "a build folder holds one architecture, so configure [a-z0-9_]+ in a build folder of its own")
  message(FATAL_ERROR "the refusal does not say what to do:\n${errors}")
endif()
