# A package that holds one architecture's libraries refuses a project built
# for the other with a text that says what to install, instead of handing
# the linker libraries it cannot use.
#   cmake -DSOURCE=... -DWORK=... -DTOOLCHAIN=... -DPACKAGE=... -DARCHITECTURE=... -P ...
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${WORK})
execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${WORK} -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN}
          -DCMAKE_PREFIX_PATH=${PACKAGE}
  RESULT_VARIABLE failed OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT failed)
  message(FATAL_ERROR "a ${ARCHITECTURE} project was configured against ${PACKAGE}, "
                      "which holds no ${ARCHITECTURE} library")
endif()
if(NOT errors MATCHES "this xlw package holds no ${ARCHITECTURE} library")
  message(FATAL_ERROR "the refusal does not say what is missing:\n${errors}")
endif()
