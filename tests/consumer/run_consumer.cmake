# Installs the built library into a private prefix, then configures, builds and
# runs an application that finds it with find_package(ksparse).
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${KSPARSE_BUILD} --prefix ${WORK_DIR}/prefix
  RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "install failed: ${rc}")
endif()
# Cross builds: the consumer uses the same toolchain and runs under the same
# emulator (Wine, QEMU), whose arguments came joined by "|".
set(toolchain_arg "")
if(TOOLCHAIN)
  set(toolchain_arg -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN})
endif()
string(REPLACE "|" ";" emulator "${EMULATOR}")
# The package by its folder: a cross toolchain confines searches to its own
# root.
file(GLOB_RECURSE config ${WORK_DIR}/prefix/ksparseConfig.cmake)
get_filename_component(config_dir "${config}" DIRECTORY)
execute_process(COMMAND ${CMAKE_COMMAND} -S ${CONSUMER_SOURCE} -B ${WORK_DIR}/build
  -Dksparse_DIR=${config_dir} -DCMAKE_PREFIX_PATH=${WORK_DIR}/prefix -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_BUILD_TYPE=Release
  ${toolchain_arg}
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "consumer configure failed: ${rc}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR}/build RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "consumer build failed: ${rc}")
endif()
# A Windows program finds the DLL beside it.
file(GLOB dlls ${WORK_DIR}/prefix/bin/*.dll)
if(dlls)
  file(COPY ${dlls} DESTINATION ${WORK_DIR}/build)
endif()
foreach(prog consumer consumer_static)
  set(program ${WORK_DIR}/build/${prog})
  if(EXISTS ${program}.exe)
    set(program ${program}.exe)
  endif()
  execute_process(COMMAND ${emulator} ${program} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${prog} failed: ${rc}")
  endif()
endforeach()
