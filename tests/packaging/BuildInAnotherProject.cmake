# cmake -DTREE=<the project> -DBINARY=<build tree> -DTOOLCHAIN=<file> -DGENERATOR=<generator>
#       -DBUILD_TYPE=<type> -DOBJDUMP=<the set's objdump> -P BuildInAnotherProject.cmake
# Configures and builds superbuild/, another project that adds the project's
# src/ with add_subdirectory, in BINARY (kept, so that a second run only
# rebuilds what changed), with all processors. Fails unless every target of
# src/ builds and the three shipped files come out beside each other,
# importing only the system's DLLs (the static runtime came along).
cmake_host_system_information(RESULT jobs QUERY NUMBER_OF_LOGICAL_CORES)
string(TIMESTAMP started "%s")

# run(STEP COMMAND...): one step, its output in BINARY-STEP.log.
function(run step)
  set(log ${BINARY}-${step}.log)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_FILE ${log} ERROR_FILE ${log}.err)
  file(READ ${log}.err err)
  file(APPEND ${log} "${err}")
  file(REMOVE ${log}.err)
  if(NOT rc EQUAL 0)
    file(STRINGS ${log} errors REGEX "[Ee]rror|No such file|not found")
    list(SUBLIST errors 0 40 errors)
    list(JOIN errors "\n" errors)
    message(FATAL_ERROR "src/ inside another build: ${step} failed (${rc}); from ${log}:\n${errors}")
  endif()
endfunction()

run(configure ${CMAKE_COMMAND} -S ${CMAKE_CURRENT_LIST_DIR}/superbuild -B ${BINARY} -G ${GENERATOR}
  -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN} -DCMAKE_BUILD_TYPE=${BUILD_TYPE} -DVPW_TREE=${TREE})
run(build ${CMAKE_COMMAND} --build ${BINARY} -j ${jobs})

set(missing "")
foreach(name VelvicPlimsyWindowsConfig.exe VelvicPlimsyWindowsCenter.exe vpwemb.dll)
  set(file ${BINARY}/velvicplimsy/bin/${name})
  if(NOT EXISTS ${file})
    string(APPEND missing "\n  ${name}: not built in ${BINARY}/velvicplimsy/bin")
    continue()
  endif()
  execute_process(COMMAND ${OBJDUMP} -p ${file} OUTPUT_VARIABLE text RESULT_VARIABLE rc)
  string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${text}")
  if(NOT rc EQUAL 0 OR NOT imports)
    string(APPEND missing "\n  ${name}: ${OBJDUMP} -p lists no imports")
  endif()
  foreach(import ${imports})
    if(import MATCHES "DLL Name: (lib(stdc\\+\\+|gcc|winpthread)[^\n]*)")
      string(APPEND missing "\n  ${name} imports ${CMAKE_MATCH_1}")
    endif()
  endforeach()
endforeach()
if(missing)
  message(FATAL_ERROR "src/ inside another build:${missing}")
endif()
string(TIMESTAMP finished "%s")
math(EXPR seconds "${finished} - ${started}")
message(STATUS "src/ built inside another project in ${BINARY} with ${jobs} jobs in ${seconds} s; "
  "the three shipped files import only the system's DLLs")
